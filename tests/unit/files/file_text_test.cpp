// The text layer under every file: number layout, line splitting, the key lookup rule, atomic writes.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "common/number_text.h"
#include "files/atomic_file.h"
#include "files/line_buffer.h"
#include "files/real_text.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;

struct RealCase {
    const char* why;
    friend std::ostream& operator<<(std::ostream& os, const RealCase& c) { return os << c.why; }
    double value;
    const char* text;
};

class RealLayout : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealLayout, IsTheShortestFormWithAtMost15Digits) {
    EXPECT_EQ(RealText(GetParam().value), GetParam().text) << GetParam().why;
}

INSTANTIATE_TEST_SUITE_P(
    Reals, RealLayout,
    ::testing::Values(RealCase{"zero has no decimals", 0.0, "0"},
                      RealCase{"negative zero is zero", -0.0, "0"},
                      RealCase{"whole numbers have no point", -50.0, "-50"},
                      RealCase{"representation noise is cut at 15 digits", 0.1 + 0.2, "0.3"},
                      RealCase{"a value needing 15 digits keeps them", 123456.789012345, "123456.789012345"},
                      RealCase{"1E-5 is still fixed", 0.00001, "0.00001"},
                      RealCase{"below 1E-5 switches to scientific", 0.000001, "1E-6"},
                      RealCase{"scientific keeps the fraction, no plus sign", 2.5e20, "2.5E20"},
                      RealCase{"15 integer digits are still fixed", 999999999999999.0, "999999999999999"},
                      RealCase{"16 integer digits are scientific", 1e15, "1E15"},
                      RealCase{"rounding up can move into scientific", 9999999999999999.0, "1E16"},
                      RealCase{"a small negative value", -1.25e-7, "-1.25E-7"},
                      RealCase{"infinity cannot be read back, so it is not written", HUGE_VAL, "0"}));

TEST(RealText, ReadsBackEqualTo15SignificantDigitsWhateverTheMagnitude) {
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

TEST(GeneralText, FourDigitsSwitchToScientificAtFiveIntegerDigits) {
    EXPECT_EQ(GeneralText(1234.56, 4), "1235");
    EXPECT_EQ(GeneralText(12345.6, 4), "1.235E4");
    EXPECT_EQ(GeneralText(9999.6, 4), "1E4") << "rounding to 4 digits carries into a fifth";
    EXPECT_EQ(GeneralText(-5.25, 4), "-5.25");
}

struct SplitCase {
    const char* why;
    friend std::ostream& operator<<(std::ostream& os, const SplitCase& c) { return os << c.why; }
    std::string text;
    std::vector<std::string> lines;
};

class LineEnds : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LineEnds, EndALineWhenRead) { EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines) << GetParam().why; }

INSTANTIATE_TEST_SUITE_P(
    Text, LineEnds,
    ::testing::Values(SplitCase{"CR LF as written", "a\r\nb\r\n", {"a", "b"}},
                      SplitCase{"LF from a Unix editor", "a\nb", {"a", "b"}},
                      SplitCase{"a lone CR from an old Mac", "a\rb\r", {"a", "b"}},
                      SplitCase{"LF CR is two line ends", "a\n\rb", {"a", "", "b"}},
                      SplitCase{"empty lines are kept", "a\r\n\r\nb", {"a", "", "b"}},
                      SplitCase{"no text, no lines", "", {}},
                      SplitCase{"a last line without an end", "x=1", {"x=1"}}));

struct LookupCase {
    const char* why;
    friend std::ostream& operator<<(std::ostream& os, const LookupCase& c) { return os << c.why; }
    std::vector<std::string> lines;
    const char* key;
    std::optional<std::string> value;
};

class KeyLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(KeyLookup, FollowsTheOneRule) {
    const auto& c = GetParam();
    const auto found = LookupKey(c.lines, c.key);
    EXPECT_EQ(found ? std::optional<std::string>(std::string(*found)) : std::nullopt, c.value) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Rule, KeyLookup,
    ::testing::Values(LookupCase{"letter case is ignored", {"TYP=3"}, "Typ", "3"},
                      LookupCase{"the first match wins", {"Typ=3", "Typ=4"}, "Typ", "3"},
                      LookupCase{"no trimming before the =", {"Typ =5"}, "Typ", std::nullopt},
                      LookupCase{"the value keeps its blanks", {"kod= a b "}, "kod", " a b "},
                      LookupCase{"split at the first =", {"kod=a=b"}, "kod", "a=b"},
                      LookupCase{"Lin does not match LinA", {"LinA=1", "Lin=4"}, "Lin", "4"},
                      LookupCase{"lines without = are skipped", {"Typ", "Typ=2"}, "Typ", "2"},
                      LookupCase{"an empty value is found", {"File="}, "File", ""},
                      LookupCase{"an empty key never matches a named one", {"=x"}, "Typ", std::nullopt}));

TEST(LineBuffer, ReadsWindows1250AndWritesUtf8WithCrLf) {
    const LineBuffer old = LineBuffer::FromBytes("kod=\xB0" "C \xB3\xF3\xBF\r\n");  // degree sign, l-stroke ...
    ASSERT_EQ(old.lines().size(), 1u);
    EXPECT_EQ(old.lines()[0], "kod=\xC2\xB0" "C \xC5\x82\xC3\xB3\xC5\xBC");
    EXPECT_EQ(old.text(), old.lines()[0] + "\r\n");
    const LineBuffer utf8 = LineBuffer::FromBytes("kod=\xC2\xB0" "C");
    EXPECT_EQ(utf8.lines()[0], "kod=\xC2\xB0" "C") << "valid UTF-8 is not decoded twice";
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(AtomicFile, ReplacesTheOldFileAndLeavesNoTemporary) {
    testing::TempDir dir;
    const fs::path file = dir / "a.par";
    ASSERT_TRUE(WriteFileAtomically(file, "old"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteFileAtomically(file, "new\r\n"));
    EXPECT_EQ(slurp(file), "new\r\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
        << "an operator's permissions survive a save";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(AtomicFile, FailsIntoAMissingFolderAndKeepsTheOldFileOnFailure) {
    testing::TempDir dir;
    const Status missing = WriteFileAtomically(dir / "no" / "a.par", "x");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, Errc::Io);
    fs::create_directory(dir / "a.par");  // a folder in the way: the rename must fail
    EXPECT_FALSE(WriteFileAtomically(dir / "a.par", "x"));
    EXPECT_TRUE(fs::is_directory(dir / "a.par"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "the temporary is removed after a failed rename";
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

}  // namespace
}  // namespace r4860::files
