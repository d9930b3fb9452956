// R4860.ini: defaults, the rules for each key, the window-position check and the password form.
#include "files/settings_file.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "common/text_encoding.h"
#include "files/line_buffer.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;

constexpr DesktopRect kDesktop{0, 0, 1920, 1080};

Settings readLines(const std::vector<std::string>& lines, const DesktopRect& desktop = kDesktop) {
    Settings s;
    ReadSettingsLines(s, lines, desktop);
    return s;
}

TEST(SettingsFile, WithoutAFileEverySettingKeepsItsDefault) {
    testing::TempDir dir;
    Settings s;
    LoadSettings(s, "/opt/r4860", dir / "R4860.ini", kDesktop);
    EXPECT_EQ(s.ComPort, 1);
    EXPECT_FALSE(s.RTPriority);
    EXPECT_EQ(s.MainLeft, 189);
    EXPECT_EQ(s.MainTop, 107);
    EXPECT_EQ(s.Language, "Polski");
    EXPECT_EQ(s.DataDir, "/opt/r4860");
    EXPECT_EQ(s.ExeDir, "/opt/r4860");
    EXPECT_EQ(s.Pass, "mrol");
}

struct KeyCase {
    const char* why;
    friend std::ostream& operator<<(std::ostream& os, const KeyCase& c) { return os << c.why; }
    std::vector<std::string> lines;
    std::function<void(const Settings&)> check;
};

class SettingsKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SettingsKeys, AreTakenOnlyWhenUsable) { GetParam().check(readLines(GetParam().lines)); }

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsKeys,
    ::testing::Values(
        KeyCase{"a port is rounded", {"comport=3.6"}, [](const Settings& s) { EXPECT_EQ(s.ComPort, 4); }},
        KeyCase{"a port beyond 16 bits is unusable", {"ComPort=65536"},
                [](const Settings& s) { EXPECT_EQ(s.ComPort, 1); }},
        KeyCase{"port 0 does not exist", {"ComPort=0"}, [](const Settings& s) { EXPECT_EQ(s.ComPort, 1); }},
        KeyCase{"RTPriority 2 sets the flag", {"RTPriority=2"}, [](const Settings& s) { EXPECT_TRUE(s.RTPriority); }},
        KeyCase{"a left edge of 0 is not on the desktop", {"MainLeft=0", "MainTop=50"},
                [](const Settings& s) {
                    EXPECT_EQ(s.MainLeft, 189);
                    EXPECT_EQ(s.MainTop, 50) << "each edge is checked by itself";
                }},
        KeyCase{"an edge too far right or down is rejected", {"MainLeft=1431", "MainTop=679"},
                [](const Settings& s) {
                    EXPECT_EQ(s.MainLeft, 189);
                    EXPECT_EQ(s.MainTop, 107);
                }},
        KeyCase{"the last positions on the desktop are kept", {"MainLeft=1430", "MainTop=678"},
                [](const Settings& s) {
                    EXPECT_EQ(s.MainLeft, 1430);
                    EXPECT_EQ(s.MainTop, 678);
                }},
        KeyCase{"MainTop without MainLeft is ignored", {"MainTop=300"},
                [](const Settings& s) { EXPECT_EQ(s.MainTop, 107); }},
        KeyCase{"a huge position does not overflow", {"MainLeft=1e300", "MainTop=300"},
                [](const Settings& s) {
                    EXPECT_EQ(s.MainLeft, 189);
                    EXPECT_EQ(s.MainTop, 107) << "MainLeft was not usable, so not found";
                }},
        KeyCase{"one-character language ignored", {"Language=P"},
                [](const Settings& s) { EXPECT_EQ(s.Language, "Polski"); }},
        KeyCase{"13-character language ignored", {"Language=ABCDEFGHIJKLM"},
                [](const Settings& s) { EXPECT_EQ(s.Language, "Polski"); }},
        KeyCase{"12 characters, counted as characters", {"Language=\xC5\x82" "ABCDEFGHIJK"},
                [](const Settings& s) { EXPECT_EQ(s.Language, "\xC5\x82" "ABCDEFGHIJK"); }},
        KeyCase{"a 61-character DataDir is ignored", {"DataDir=/" + std::string(60, 'd')},
                [](const Settings& s) { EXPECT_EQ(s.DataDir, ""); }},
        KeyCase{"a 60-character DataDir is kept", {"DataDir=/" + std::string(59, 'd')},
                [](const Settings& s) { EXPECT_EQ(s.DataDir, "/" + std::string(59, 'd')); }},
        KeyCase{"a stored password of 31 characters is ignored", {"Pass=" + ScramblePassword(std::string(30, 'x')) + "A"},
                [](const Settings& s) { EXPECT_EQ(s.Pass, "mrol"); }},
        KeyCase{"a password from another key is not printable and ignored", {"Pass=`abc"},
                [](const Settings& s) { EXPECT_EQ(s.Pass, "mrol"); }},
        KeyCase{"the first Pass line wins", {"PASS=" + ScramblePassword("first"), "Pass=" + ScramblePassword("second")},
                [](const Settings& s) { EXPECT_EQ(s.Pass, "first"); }}));

TEST(SettingsFile, ADesktopThatStartsLeftOfZeroAcceptsZero) {
    const Settings s = readLines({"MainLeft=0", "MainTop=0"}, DesktopRect{-1280, -100, 3200, 1200});
    EXPECT_EQ(s.MainLeft, 0);
    EXPECT_EQ(s.MainTop, 0);
}

TEST(SettingsPassword, EveryPrintablePasswordOfOneTo30CharactersRoundTrips) {
    std::mt19937 rng(4860);
    std::uniform_int_distribution<int> len(1, 30), ch(0x20, 0x7E);
    for (int i = 0; i < 3000; ++i) {
        std::string pass;
        for (int n = len(rng); n > 0; --n) pass += static_cast<char>(ch(rng));
        const std::string stored = ScramblePassword(pass);
        ASSERT_NE(stored, pass);
        ASSERT_EQ(stored.find_first_of("\r\n"), std::string::npos);
        ASSERT_EQ(UnscramblePassword(stored), pass) << pass;
    }
    EXPECT_EQ(ScramblePassword(std::string(31, 'x')), "") << "too long to be stored";
    EXPECT_EQ(ScramblePassword("ab\tc"), "") << "not typeable in the password dialog";
}

TEST(SettingsFile, WritesElevenLinesAndReadsThemBack) {
    testing::TempDir dir;
    Settings s;
    s.ComPort = 12;
    s.RTPriority = true;
    s.MainLeft = 300;
    s.MainTop = 200;
    s.Language = "English";
    s.DataDir = "/home/op/pomiary";
    s.Pass = "Tajne 123!";
    const fs::path ini = dir.path() / "cfg" / "r4860" / "R4860.ini";
    ASSERT_TRUE(SaveSettings(s, ini)) << "the configuration folder is created";
    const auto written = LineBuffer::Load(ini);
    ASSERT_TRUE(written);
    ASSERT_EQ(written->lines().size(), 11u);
    EXPECT_EQ(written->lines()[0], "R4860 initial parameters:");
    EXPECT_EQ(written->lines()[3], "RTPriority=1");
    Settings back;
    LoadSettings(back, "/exe", ini, kDesktop);
    back.ExeDir = s.ExeDir;
    EXPECT_EQ(back, s);
}

TEST(SettingsFile, AWindowsFileWithHighPasswordBytesStillReads) {
    testing::TempDir dir;
    // The stored form as the old tool wrote it: raw Windows-1250 bytes, some above 0x7F.
    const std::string stored = ScramblePassword("~~~~~~~~~~");
    std::string raw;
    for (char c : Utf8ToCp1250(stored)) raw += c;
    std::ofstream(dir / "R4860.ini", std::ios::binary) << "R4860 initial parameters:\r\nPass=" << raw
                                                       << "\r\nDataDir=C:/Pomiary \xB3\r\n";
    Settings s;
    LoadSettings(s, "/exe", dir / "R4860.ini", kDesktop);
    EXPECT_EQ(s.Pass, "~~~~~~~~~~");
    EXPECT_EQ(s.DataDir, "C:/Pomiary \xC5\x82");
}

}  // namespace
}  // namespace r4860::files
