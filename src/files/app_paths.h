// Where the tool finds its data (language files, help) and keeps its settings on Linux.
// A copy unpacked into a writable folder is portable: R4860.ini and ports/ live beside the
// executable. An installed copy keeps them in the user's configuration folder instead.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace r4860::files {

// The folder of the running executable (/proc/self/exe), without a trailing slash.
[[nodiscard]] std::filesystem::path ExeDir();

// What the settings-folder decision looks at, so that tests can describe any machine.
struct SettingsPlace {
    std::filesystem::path exeDir;
    bool exeDirWritable = true;
    bool installedLayout = false;  // exeDir/../share/r4860 exists: a packaged installation
    std::function<std::optional<std::string>(std::string_view)> env;  // environment lookup
};

// The one rule: beside the executable when that folder is writable and not an installed
// copy; otherwise $XDG_CONFIG_HOME/r4860 (only an absolute XDG path counts), else ~/.config/r4860.
[[nodiscard]] std::filesystem::path DecideSettingsDir(const SettingsPlace& place);

// The decision above for this process, unless a test or a tool set an override.
[[nodiscard]] std::filesystem::path SettingsDir();
[[nodiscard]] std::filesystem::path SettingsFilePath();  // SettingsDir()/R4860.ini
[[nodiscard]] std::filesystem::path PortsDir();          // SettingsDir()/ports

// Lets tests (and the emulator's tests) keep their settings in a temporary folder.
// An empty path removes the override.
void OverrideSettingsDir(const std::filesystem::path& dir);

// Folders searched for language files and the help file: ExeDir, then the installed
// data folder <prefix>/share/r4860 when it exists.
[[nodiscard]] std::vector<std::filesystem::path> DataSearchDirs();
[[nodiscard]] std::vector<std::filesystem::path> DataSearchDirsFor(const std::filesystem::path& exeDir);

// The first existing file `name` in the search folders; the exact name is tried first, then a
// case-insensitive match (files copied from Windows keep whatever case they had).
[[nodiscard]] std::optional<std::filesystem::path> FindDataFile(std::string_view name);
[[nodiscard]] std::optional<std::filesystem::path> FindFileIn(const std::vector<std::filesystem::path>& dirs,
                                                              std::string_view name);

}  // namespace r4860::files
