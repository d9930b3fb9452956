// Texts between the core (UTF-8 std::string) and Qt, and the translated lookups the windows use.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace r4860::qtbridge {

[[nodiscard]] inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
[[nodiscard]] inline std::string ToStd(const QString& text) { return text.toUtf8().toStdString(); }

// LangText as a QString.
[[nodiscard]] QString Tr(std::string_view key);

// Decimal text of the classic Str(x:width:decimals): right-aligned in `width`, a point.
[[nodiscard]] QString Fixed(double value, int width, int decimals);

}  // namespace r4860::qtbridge
