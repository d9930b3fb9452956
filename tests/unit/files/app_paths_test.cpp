#include "files/app_paths.h"

#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;

TEST(SettingsFolder, IsBesideAWritablePortableCopyElseUnderTheConfigurationHome) {
    const struct {
        const char* why;
        bool writable, installed;
        std::map<std::string, std::string> env;
        fs::path expected;
    } cases[] = {
        // clang-format off
        {"a portable copy keeps its settings beside itself", true, false, {{"HOME", "/home/op"}},
         "/opt/r4860/bin"},
        {"a read-only folder sends them to the configuration home", false, false,
         {{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "/cfg"}}, "/cfg/r4860"},
        {"without XDG_CONFIG_HOME the default is ~/.config", false, false, {{"HOME", "/home/op"}},
         "/home/op/.config/r4860"},
        {"a relative XDG_CONFIG_HOME is ignored", false, false,
         {{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "cfg"}}, "/home/op/.config/r4860"},
        {"an installed copy never writes into its bin folder, even as root", true, true, {{"HOME", "/root"}},
         "/root/.config/r4860"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const SettingsPlace place{"/opt/r4860/bin", c.writable, c.installed, [&](std::string_view name) {
                                      const auto it = c.env.find(std::string(name));
                                      return it == c.env.end() ? std::nullopt : std::optional(it->second);
                                  }};
        EXPECT_EQ(DecideSettingsDir(place), c.expected) << c.why;
    }
}

TEST(AppPaths, SettingsFileAndPortsFollowTheOverride) {
    testing::TempDir dir;
    OverrideSettingsDir(dir.path());
    EXPECT_EQ(SettingsFilePath(), dir.path() / "R4860.ini");
    EXPECT_EQ(PortsDir(), dir.path() / "ports");
    OverrideSettingsDir({});
    EXPECT_NE(SettingsDir(), dir.path());
}

TEST(AppPaths, ExeDirIsTheFolderOfThisTestProgram) {
    const fs::path dir = ExeDir();
    EXPECT_TRUE(fs::exists(dir / "app_paths_test")) << dir;
    EXPECT_NE(dir.filename(), "app_paths_test");
}

TEST(AppPaths, DataIsSearchedBesideTheExecutableThenInTheSharedFolder) {
    testing::TempDir root;
    fs::create_directories(root / "bin");
    EXPECT_EQ(DataSearchDirsFor(root / "bin"), std::vector<fs::path>{root / "bin"});
    fs::create_directories(root.path() / "share" / "r4860");
    std::ofstream(root.path() / "share" / "r4860" / "Polski.LAN") << "x";
    const auto dirs = DataSearchDirsFor(root / "bin");
    ASSERT_EQ(dirs.size(), 2u);
    EXPECT_EQ(dirs[1], root.path() / "share" / "r4860");
    EXPECT_EQ(FindFileIn(dirs, "polski.lan"), root.path() / "share" / "r4860" / "Polski.LAN")
        << "a file copied from Windows keeps its case";
    std::ofstream(root / "bin" / "polski.lan") << "y";
    EXPECT_EQ(FindFileIn(dirs, "polski.lan"), root / "bin" / "polski.lan") << "the executable's folder wins";
    EXPECT_EQ(FindFileIn(dirs, "missing.lan"), std::nullopt);
}

} // namespace
} // namespace r4860::files
