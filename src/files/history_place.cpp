#include "files/history_place.h"

#include <sys/vfs.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace r4860::files {
namespace fs = std::filesystem;

fs::path DefaultHistoryFile(const EnvLookup& env) {
    if (const auto xdg = env("XDG_DATA_HOME"); xdg && !xdg->empty() && fs::path(*xdg).is_absolute())
        return fs::path(*xdg) / "r4860" / "history.sqlite3";
    const auto home = env("HOME");
    return fs::path(home && !home->empty() ? *home : "/tmp") / ".local" / "share" / "r4860" / "history.sqlite3";
}

fs::path DefaultHistoryFile() {
    return DefaultHistoryFile([](std::string_view name) -> std::optional<std::string> {
        const char* v = std::getenv(std::string(name).c_str());
        if (v == nullptr) return std::nullopt;
        return std::string(v);
    });
}

std::optional<std::string_view> NetworkFileSystemName(unsigned long magic) noexcept {
    // The kernel's magic numbers of the network file systems (linux/magic.h and fs/smb).
    static constexpr std::array<std::pair<unsigned long, std::string_view>, 4> kNetwork = {{
        {0x6969, "NFS"},
        {0x517B, "SMB"},
        {0xFF534D42, "CIFS"},
        {0xFE534D42, "SMB2"},
    }};
    for (const auto& [m, name] : kNetwork)
        if (m == magic) return name;
    return std::nullopt;
}

Status CheckLocalFolder(const fs::path& folder) {
    struct statfs info {};
    if (::statfs(folder.c_str(), &info) != 0)
        return makeError(Errc::Io, folder.string() + ": " + std::strerror(errno));
    // The magic numbers are 32-bit; a 32-bit kernel's signed field would sign-extend the CIFS one.
    if (const auto name = NetworkFileSystemName(static_cast<unsigned long>(info.f_type) & 0xFFFFFFFFUL)) {
        return makeError(Errc::Refused,
                         folder.string() + " is on a network file system (" + std::string(*name) +
                             "); the history must be on this station's own disk (choose a local file, and merge "
                             "stations' records with history export and import)");
    }
    return {};
}

}  // namespace r4860::files
