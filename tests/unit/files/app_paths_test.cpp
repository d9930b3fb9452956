#include "files/app_paths.h"

#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace r4860::files {
namespace {
namespace fs = std::filesystem;

TEST(SettingsFolder, IsBesideAWritablePortableCopyElseUnderTheConfigurationHome) {
    using Env = std::map<std::string, std::string>;
    const struct { const char* why; bool writable, installed; Env env; fs::path expected; } cases[] = {
        {"a portable copy keeps its settings beside itself", true, false, {{"HOME", "/h"}}, "/opt/r4860/bin"},
        {"a read-only folder sends them to the configuration home", false, false,
         {{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/cfg"}}, "/cfg/r4860"},
        {"without XDG_CONFIG_HOME the default is ~/.config", false, false, {{"HOME", "/h"}}, "/h/.config/r4860"},
        {"a relative XDG_CONFIG_HOME is ignored", false, false, {{"HOME", "/h"}, {"XDG_CONFIG_HOME", "cfg"}},
         "/h/.config/r4860"},
        {"an installed copy never writes into its bin folder, even as root", true, true, {{"HOME", "/root"}},
         "/root/.config/r4860"},
    };
    for (const auto& c : cases) {
        const auto env = [&](std::string_view name) {
            const auto it = c.env.find(std::string(name));
            return it == c.env.end() ? std::nullopt : std::optional(it->second);
        };
        EXPECT_EQ(DecideSettingsDir({"/opt/r4860/bin", c.writable, c.installed, env}), c.expected) << c.why;
    }
}

TEST(AppPaths, DataIsSearchedBesideTheExecutableThenInTheSharedFolder) {
    testing::TempDir root;
    fs::create_directories(root / "bin");
    EXPECT_EQ(DataSearchDirsFor(root / "bin"), std::vector<fs::path>{root / "bin"});
    const fs::path shared = root.path() / "share" / "r4860";
    fs::create_directories(shared);
    std::ofstream(shared / "Polski.LAN") << "x";
    const auto dirs = DataSearchDirsFor(root / "bin");
    EXPECT_EQ(dirs, (std::vector<fs::path>{root / "bin", shared}));
    EXPECT_EQ(FindFileIn(dirs, "polski.lan"), shared / "Polski.LAN") << "a file copied from Windows keeps its case";
    std::ofstream(root / "bin" / "polski.lan") << "y";
    EXPECT_EQ(FindFileIn(dirs, "polski.lan"), root / "bin" / "polski.lan") << "the executable's folder wins";
    EXPECT_EQ(FindFileIn(dirs, "missing.lan"), std::nullopt);
}

} // namespace
} // namespace r4860::files
