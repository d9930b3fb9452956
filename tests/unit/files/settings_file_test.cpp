// R4860.ini: defaults, the rules for each key, the window-position check and the password form.
#include "files/settings_file.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

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
    Settings expected;
    expected.ComPort = 1, expected.RTPriority = false, expected.MainLeft = 189, expected.MainTop = 107;
    expected.Language = "Polski", expected.Pass = "mrol", expected.DataDir = expected.ExeDir = "/opt/r4860";
    EXPECT_EQ(s, expected);
}

// Each row names what differs from the defaults afterwards; everything else must stay as it was.
TEST(SettingsFile, TakesAKeyOnlyWhenItIsUsable) {
    const std::string d59(59, 'd');
    const struct { const char* why; std::vector<std::string> lines; std::function<void(Settings&)> changed; } cases[] = {
        {"a port is rounded", {"comport=3.6"}, [](Settings& s) { s.ComPort = 4; }},
        {"RTPriority 2 sets the flag", {"RTPriority=2"}, [](Settings& s) { s.RTPriority = true; }},
        {"a left edge of 0 is off the desktop; each edge is checked by itself", {"MainLeft=0", "MainTop=50"},
         [](Settings& s) { s.MainTop = 50; }},
        {"the last positions on the desktop are kept", {"MainLeft=1430", "MainTop=678"},
         [](Settings& s) { s.MainLeft = 1430, s.MainTop = 678; }},
        {"one further right or down is off it", {"MainLeft=1431", "MainTop=679"}, [](Settings&) {}},
        {"a huge left edge does not overflow and so hides MainTop", {"MainLeft=1e300", "MainTop=300"},
         [](Settings&) {}},
        {"a 13-character language is ignored", {"Language=ABCDEFGHIJKLM"}, [](Settings&) {}},
        {"12 characters, counted as characters", {"Language=\xC5\x82" "ABCDEFGHIJK"},
         [](Settings& s) { s.Language = "\xC5\x82" "ABCDEFGHIJK"; }},
        {"a 61-character DataDir is ignored", {"DataDir=/d" + d59}, [](Settings&) {}},
        {"a 60-character DataDir is kept", {"DataDir=/" + d59}, [&](Settings& s) { s.DataDir = "/" + d59; }},
        {"a password stored by another key is not printable and ignored", {"Pass=`abc"}, [](Settings&) {}},
        {"the first Pass wins", {"PASS=" + ScramblePassword("first"), "Pass=" + ScramblePassword("second")},
         [](Settings& s) { s.Pass = "first"; }},
    };
    for (const auto& c : cases) {
        Settings expected;
        c.changed(expected);
        EXPECT_TRUE(readLines(c.lines) == expected) << c.why;
    }
    const Settings s = readLines({"MainLeft=0", "MainTop=0"}, DesktopRect{-1280, -100, 3200, 1200});
    EXPECT_EQ(std::pair(s.MainLeft, s.MainTop), std::pair(0, 0)) << "a desktop left of zero accepts zero";
}

TEST(SettingsPassword, EveryPrintablePasswordOfOneTo30CharactersRoundTrips) {
    std::mt19937 rng(4860);
    std::uniform_int_distribution<int> len(1, 30), ch(0x20, 0x7E);
    for (int i = 0; i < 3000; ++i) {
        std::string pass;
        for (int n = len(rng); n > 0; --n) pass += static_cast<char>(ch(rng));
        const std::string stored = ScramblePassword(pass);
        ASSERT_NE(stored, pass);
        ASSERT_EQ(UnscramblePassword(stored), pass) << pass;
    }
    EXPECT_EQ(ScramblePassword(std::string(31, 'x')), "") << "too long to be stored";
    EXPECT_EQ(ScramblePassword("ab\tc"), "") << "not typeable in the password dialog";
}

TEST(SettingsFile, WritesElevenLinesAndReadsThemBack) {
    testing::TempDir dir;
    Settings s;
    s.ComPort = 12, s.RTPriority = true, s.MainLeft = 300, s.MainTop = 200;
    s.Language = "English", s.DataDir = "/home/op/pomiary", s.Pass = "Tajne 123!";
    const fs::path ini = dir.path() / "cfg" / "r4860" / "R4860.ini";
    ASSERT_TRUE(SaveSettings(s, ini)) << "the configuration folder is created";
    const auto written = LineBuffer::Load(ini).value().lines();
    ASSERT_EQ(written.size(), 11u);
    EXPECT_EQ(written[0], "R4860 initial parameters:");
    EXPECT_EQ(written[3], "RTPriority=1");
    Settings back;
    LoadSettings(back, "/exe", ini, kDesktop);
    back.ExeDir = s.ExeDir;
    EXPECT_EQ(back, s);
}

TEST(SettingsFile, AWindowsFileWithHighPasswordBytesStillReads) {
    testing::TempDir dir;
    // The stored form as the old tool wrote it: raw Windows-1250 bytes, some above 0x7F.
    std::ofstream(dir / "R4860.ini", std::ios::binary)
        << "R4860 initial parameters:\r\nPass=" << Utf8ToCp1250(ScramblePassword("~~~~~~~~~~"))
        << "\r\nDataDir=C:/Pomiary \xB3\r\n";
    Settings s;
    LoadSettings(s, "/exe", dir / "R4860.ini", kDesktop);
    EXPECT_EQ(s.Pass, "~~~~~~~~~~");
    EXPECT_EQ(s.DataDir, "C:/Pomiary \xC5\x82");
}

} // namespace
} // namespace r4860::files
