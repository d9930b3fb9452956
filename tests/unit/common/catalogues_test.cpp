#include "common/catalogues.h"

#include <gtest/gtest.h>

namespace r4860 {
namespace {

TEST(Catalogues, NamesSensorsByCodeAndNominalResistance) {
    struct Case { const char* why; int typ, gain; const char* name; };
    const Case cases[] = {
        {"Pt 0.00385 at 100 ohm", 1, 0, "Pt100 (0.00385)"}, {"Pt 0.00392 at 200 ohm", 2, 1, "Pt200 (0.00392)"},
        {"Ni at 500 ohm", 3, 2, "Ni500"},                   {"Cu at 1000 ohm", 4, 3, "Cu1000"},
        {"a thermocouple ignores the index", 10, 3, "K"},
        {"an index past 1000 ohm falls back to the sensor name", 1, 4, "Pt100 (0.00385)"},
        {"resistance signal", 5, 0, "R"},                    {"R thermocouple, same text", 12, 0, "R"},
        {"code 19 has no name", 19, 0, ""},                  {"a code outside the table", 21, 0, ""},
        {"a negative code", -1, 0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SensorDisplayName(c.typ, c.gain), c.name) << c.why;
}

TEST(Catalogues, ModeCodeNShowsEntryNMinusOneAndUnitsOutsideTheTableAreBlank) {
    struct Case { int code; const char* mode; const char* unit; };
    const Case cases[] = {{-3, "", " "},          {0, "", " "},          {1, "", "V"},   {2, "2-wire", "mV"},
                          {5, "differential", "Ohm"}, {6, "no CJC", "kOhm"}, {7, "CJC", "K"},
                          {8, "sum", "\xC2\xB0" "C"}, {9, "difference", "%"}, {10, "max", "kg"}, {11, "min", " "},
                          {12, "", " "},          {15, "", " "},         {16, "", " "}};
    for (const auto& c : cases) {
        EXPECT_EQ(ModeKey(c.code), c.mode) << c.code;
        EXPECT_EQ(UnitName(c.code), c.unit) << c.code;
    }
}

}  // namespace
}  // namespace r4860
