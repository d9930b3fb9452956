#include "qtbridge/qt_text.h"

#include "common/lang_table.h"
#include "common/number_text.h"

namespace r4860::qtbridge {

QString Tr(std::string_view key) { return ToQString(LangText(key)); }

QString Fixed(double value, int width, int decimals) { return ToQString(FixedText(value, decimals, width)); }

}  // namespace r4860::qtbridge
