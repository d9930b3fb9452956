// The text layer under every file: number layout, line splitting, the key lookup rule, atomic writes.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "common/number_text.h"
#include "files/atomic_file.h"
#include "files/line_buffer.h"
#include "files/real_text.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;

TEST(RealText, IsTheShortestFormWithAtMost15DigitsAndReadsBack) {
    const struct { const char* why; double value; const char* text; } cases[] = {
        {"whole numbers have no point", -50.0, "-50"},
        {"representation noise is cut at 15 digits", 0.1 + 0.2, "0.3"},
        {"a value needing 15 digits keeps them", 123456.789012345, "123456.789012345"},
        {"below 1E-5 switches to scientific", 0.000001, "1E-6"},
        {"scientific keeps the fraction, no plus sign", 2.5e20, "2.5E20"},
        {"rounding up can move into scientific", 9999999999999999.0, "1E16"},
        {"infinity cannot be read back, so it is not written", HUGE_VAL, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(RealText(c.value), c.text) << c.why;
    std::mt19937_64 rng(2017);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 20000; ++i) {
        const double x = mantissa(rng) * std::pow(10.0, exponent(rng));
        const std::string text = RealText(x);
        double back = 0.0;
        ASSERT_TRUE(TextToNum(text, back)) << text;
        ASSERT_EQ(RealText(back), text) << "case " << i;
        ASSERT_NEAR(back, x, std::fabs(x) * 1e-14) << text;
        ASSERT_EQ(text.find_first_of("e+,"), std::string::npos) << text;
    }
}

TEST(LineText, SplitsAtAnyLineEndAndLooksKeysUpByTheFirstEqualsIgnoringCase) {
    using Lines = std::vector<std::string>;
    for (const auto& [text, lines] : {std::pair<std::string, Lines>{"a\r\nb\r\n", {"a", "b"}}, {"a\nb", {"a", "b"}},
                                      {"a\rb\r", {"a", "b"}}, {"a\n\rb", {"a", "", "b"}}})
        EXPECT_EQ(SplitLines(text), lines) << "CR LF, LF or a lone CR; LF CR is two: " << text;
    const struct { const char* why; Lines lines; const char* key; const char* value; } cases[] = {
        {"letter case is ignored, the first match wins", {"TYP=3", "Typ=4"}, "Typ", "3"},
        {"no trimming before the =", {"Typ =5"}, "Typ", nullptr},
        {"the value keeps its blanks and later =", {"kod= a=b "}, "kod", " a=b "},
        {"Lin does not match LinA", {"LinA=1", "Lin=4"}, "Lin", "4"},
        {"an empty key never matches a named one", {"=x"}, "Typ", nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LookupKey(c.lines, c.key).value_or("<none>"), c.value ? c.value : "<none>") << c.why;

    const LineBuffer old = LineBuffer::FromBytes("kod=\xB0" "C \xB3\xF3\xBF\r\n");  // degree sign, l-stroke ...
    EXPECT_EQ(old.lines(), Lines{"kod=\xC2\xB0" "C \xC5\x82\xC3\xB3\xC5\xBC"}) << "Windows-1250 is decoded";
    EXPECT_EQ(old.text(), old.lines()[0] + "\r\n") << "and written as UTF-8 with CR LF";
    EXPECT_EQ(LineBuffer::FromBytes("\xC2\xB0").lines()[0], "\xC2\xB0") << "valid UTF-8 is not decoded twice";
}

TEST(AtomicFile, ReplacesTheOldFileKeepingItsModeOrKeepsItOnFailure) {
    testing::TempDir dir;
    const fs::path file = dir / "a.par";
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    ASSERT_TRUE(WriteFileAtomically(file, "old"));
    fs::permissions(file, mode);
    ASSERT_TRUE(WriteFileAtomically(file, "new\r\n"));
    EXPECT_EQ(ReadWholeFile(file).value(), "new\r\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, mode) << "an operator's permissions survive";
    EXPECT_EQ(WriteFileAtomically(dir / "no" / "a.par", "x").error().code, Errc::Io);
    fs::create_directory(dir / "b.par");  // a folder in the way: the rename must fail
    EXPECT_FALSE(WriteFileAtomically(dir / "b.par", "x"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2) << "no temporaries";
}

TEST(ReadWholeFile, RefusesWhatIsNotASmallRegularFile) {
    testing::TempDir dir;
    EXPECT_EQ(ReadWholeFile(dir / "none").error().code, Errc::Io);
    EXPECT_EQ(ReadWholeFile(dir.path()).error().code, Errc::Corrupt) << "a folder";
    EXPECT_EQ(ReadWholeFile("/dev/zero").error().code, Errc::Corrupt) << "a device would never end";
    std::ofstream(dir / "big") << std::string(100, 'x');
    EXPECT_EQ(ReadWholeFile(dir / "big", 99).error().code, Errc::Corrupt);
    EXPECT_EQ(ReadWholeFile(dir / "big", 100).value().size(), 100u);
}

} // namespace
} // namespace r4860::files
