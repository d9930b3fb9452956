#include "qtbridge/qt_text.h"

#include "common/lang_table.h"
#include "common/number_text.h"

namespace r4860::qtbridge {

QString Tr(std::string_view key) { return ToQString(LangText(key)); }

QString WithNumber(const QString& pattern, long number) {
    QString text = pattern;
    const qsizetype at = text.indexOf(QLatin1String("%d"));
    if (at >= 0) text.replace(at, 2, QString::number(number));
    return text;
}

QString Fixed(double value, int width, int decimals) { return ToQString(FixedText(value, decimals, width)); }

}  // namespace r4860::qtbridge
