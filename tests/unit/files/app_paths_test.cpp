#include "files/app_paths.h"

#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;

struct PlaceCase {
    const char* why;
    friend std::ostream& operator<<(std::ostream& os, const PlaceCase& c) { return os << c.why; }
    bool writable;
    bool installed;
    std::map<std::string, std::string> env;
    fs::path expected;
};

class SettingsFolder : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(SettingsFolder, IsChosenByOneRule) {
    const PlaceCase& c = GetParam();
    SettingsPlace place{"/opt/r4860/bin", c.writable, c.installed, [&](std::string_view name) {
                            const auto it = c.env.find(std::string(name));
                            return it == c.env.end() ? std::nullopt : std::optional<std::string>(it->second);
                        }};
    EXPECT_EQ(DecideSettingsDir(place), c.expected) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Places, SettingsFolder,
    ::testing::Values(
        PlaceCase{"a portable copy keeps its settings beside itself", true, false, {{"HOME", "/home/op"}},
                  "/opt/r4860/bin"},
        PlaceCase{"a read-only folder sends them to the configuration home", false, false,
                  {{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "/cfg"}}, "/cfg/r4860"},
        PlaceCase{"without XDG_CONFIG_HOME the default is ~/.config", false, false, {{"HOME", "/home/op"}},
                  "/home/op/.config/r4860"},
        PlaceCase{"an empty XDG_CONFIG_HOME counts as unset", false, false,
                  {{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", ""}}, "/home/op/.config/r4860"},
        PlaceCase{"a relative XDG_CONFIG_HOME is ignored", false, false,
                  {{"HOME", "/home/op"}, {"XDG_CONFIG_HOME", "cfg"}}, "/home/op/.config/r4860"},
        PlaceCase{"an installed copy never writes into its bin folder, even as root", true, true,
                  {{"HOME", "/root"}}, "/root/.config/r4860"}));

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
    EXPECT_EQ(FindFileIn(dirs, ""), std::nullopt);
}

}  // namespace
}  // namespace r4860::files
