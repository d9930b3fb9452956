// Where the programming history lives: a file on the station's own disk. SQLite's locking is not
// safe on network file systems, so a folder on one is refused rather than risked.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/result.h"

namespace r4860::files {

using EnvLookup = std::function<std::optional<std::string>(std::string_view)>;

// $XDG_DATA_HOME/r4860/history.sqlite3 (only an absolute XDG path counts), else
// ~/.local/share/r4860/history.sqlite3.
[[nodiscard]] std::filesystem::path DefaultHistoryFile(const EnvLookup& env);
[[nodiscard]] std::filesystem::path DefaultHistoryFile();

// The name of the network file system a statfs magic number stands for; nothing for a local one.
[[nodiscard]] std::optional<std::string_view> NetworkFileSystemName(unsigned long magic) noexcept;

// Refused (Errc::Refused, a message naming the folder and the file system) when `folder` is on
// a network file system; Io when it cannot be looked at.
[[nodiscard]] Status CheckLocalFolder(const std::filesystem::path& folder);

}  // namespace r4860::files
