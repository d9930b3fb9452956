#include "common/date_text.h"

#include <gtest/gtest.h>

#include <optional>

namespace r4860 {
namespace {

TEST(DateText, CountsDaysFromTheThirtiethOfDecember1899) {
    struct Case { const char* why; long days; const char* text; };
    const Case cases[] = {
        {"day 0 is the epoch", 0, "30.12.1899"}, {"day 2 is the first of January 1900", 2, "01.01.1900"},
        {"1900 is not a leap year: day 60 is 28 February", 60, "28.02.1900"},
        {"and day 61 is 1 March", 61, "01.03.1900"}, {"2000 is a leap year", 36585, "29.02.2000"},
        {"the last day a u16 field holds", 65535, "04.06.2079"},
        {"a negative count goes before the epoch", -1, "29.12.1899"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateText(c.days), c.text) << c.why;
        EXPECT_EQ(ParseDateText(c.text), std::optional<long>(c.days)) << c.why;
    }
}

TEST(DateText, EveryDayOfTheDeviceFieldReadsBackToItsCount) {
    for (long d = 0; d <= 65535; ++d) {
        const std::string text = DateText(d);
        ASSERT_EQ(text.size(), 10u) << d;
        ASSERT_EQ(ParseDateText(text), std::optional<long>(d)) << text;
    }
}

TEST(DateText, ParsingChecksTheCalendarAndTheForm) {
    struct Case { const char* why; const char* text; bool ok; };
    const Case cases[] = {
        {"one-digit day and month", "1.2.2020", true},
        {"29 February of a century that is not a leap year", "29.02.1900", false},
        {"30 April exists, 31 does not", "31.04.2020", false}, {"month 13", "01.13.2020", false},
        {"dashes are not the separator", "01-01-2020", false}, {"trailing text", "01.01.2020x", false},
        {"an empty text", "", false}, {"a negative day", "-1.01.2020", false},
        {"a number too large for the field", "99999999999.01.2020", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseDateText(c.text).has_value(), c.ok) << c.why;
}

}  // namespace
}  // namespace r4860
