// R4860.ini: the operator's settings, read once at start and written once at exit.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "files/settings.h"

namespace r4860::files {

// The bounding rectangle of all monitors, from whoever knows the screens (the GUI).
struct DesktopRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The stored form of a password and back. Unscrambling gives nothing unless the result is a
// 1..30 character printable ASCII password, so a file from another installation cannot plant
// an unusable one.
[[nodiscard]] std::string ScramblePassword(std::string_view password);
[[nodiscard]] std::optional<std::string> UnscramblePassword(std::string_view stored);

// Sets ExeDir and DataDir = ExeDir, then takes every usable key of `iniFile` when it exists.
// Missing or unusable keys leave their setting as it was; nothing is reported.
void LoadSettings(Settings& settings, const std::string& exeDir, const std::filesystem::path& iniFile,
                  const DesktopRect& desktop);
// The same for this process: ExeDir() and SettingsFilePath().
void LoadSettings(Settings& settings, const DesktopRect& desktop);

// Takes the settings from lines already loaded (the part of LoadSettings after the file read).
void ReadSettingsLines(Settings& settings, const std::vector<std::string>& lines, const DesktopRect& desktop);

// The 11 lines `settings` are written as (no line ends), and a 12th with HistoryFile when set.
[[nodiscard]] std::vector<std::string> SettingsFileLines(const Settings& settings);

// Writes the 11-line file atomically, creating its folder when needed. The caller may ignore the
// outcome (a failed save is never reported to the operator) but the reason is there for a trace.
[[nodiscard]] Status SaveSettings(const Settings& settings, const std::filesystem::path& iniFile);
[[nodiscard]] Status SaveSettings(const Settings& settings);

}  // namespace r4860::files
