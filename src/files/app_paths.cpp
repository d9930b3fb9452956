#include "files/app_paths.h"

#include <cstdlib>
#include <mutex>
#include <system_error>

#include <unistd.h>

namespace r4860::files {
namespace fs = std::filesystem;

namespace {

std::mutex& overrideMutex() {
    static std::mutex m;
    return m;
}

fs::path& overrideDir() {
    static fs::path dir;
    return dir;
}

fs::path installedDataDir(const fs::path& exeDir) {
    return (exeDir.parent_path() / "share" / "r4860").lexically_normal();
}

bool isDirectory(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

std::optional<std::string> realEnv(std::string_view name) {
    const std::string key(name);
    if (const char* v = std::getenv(key.c_str())) return std::string(v);
    return std::nullopt;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

fs::path ExeDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        // Without /proc (a chroot, an odd container) the working folder is the best remaining guess.
        const fs::path cwd = fs::current_path(ec);
        return ec ? fs::path(".") : cwd;
    }
    return exe.parent_path();
}

fs::path DecideSettingsDir(const SettingsPlace& place) {
    if (place.exeDirWritable && !place.installedLayout) return place.exeDir;
    auto lookup = [&](std::string_view name) -> std::optional<std::string> {
        return place.env ? place.env(name) : std::nullopt;
    };
    // The base-directory convention says relative values are to be ignored.
    if (const auto xdg = lookup("XDG_CONFIG_HOME"); xdg && !xdg->empty() && fs::path(*xdg).is_absolute())
        return fs::path(*xdg) / "r4860";
    if (const auto home = lookup("HOME"); home && !home->empty()) return fs::path(*home) / ".config" / "r4860";
    // No home at all (a bare service account): the working folder rather than the root.
    return fs::path(".config") / "r4860";
}

void OverrideSettingsDir(const fs::path& dir) {
    const std::lock_guard lock(overrideMutex());
    overrideDir() = dir;
}

fs::path SettingsDir() {
    {
        const std::lock_guard lock(overrideMutex());
        if (!overrideDir().empty()) return overrideDir();
    }
    SettingsPlace place;
    place.exeDir = ExeDir();
    place.exeDirWritable = ::access(place.exeDir.c_str(), W_OK) == 0;
    place.installedLayout = isDirectory(installedDataDir(place.exeDir));
    place.env = realEnv;
    return DecideSettingsDir(place);
}

fs::path SettingsFilePath() { return SettingsDir() / "R4860.ini"; }

fs::path PortsDir() { return SettingsDir() / "ports"; }

std::vector<fs::path> DataSearchDirsFor(const fs::path& exeDir) {
    std::vector<fs::path> dirs{exeDir};
    if (const fs::path shared = installedDataDir(exeDir); shared != exeDir && isDirectory(shared))
        dirs.push_back(shared);
    return dirs;
}

std::vector<fs::path> DataSearchDirs() { return DataSearchDirsFor(ExeDir()); }

std::optional<fs::path> FindFileIn(const std::vector<fs::path>& dirs, std::string_view name) {
    if (name.empty()) return std::nullopt;
    for (const fs::path& dir : dirs) {
        std::error_code ec;
        const fs::path exact = dir / fs::path(name);
        if (fs::is_regular_file(exact, ec)) return exact;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string file = it->path().filename().string();
            if (equalsIgnoringCase(file, name) && it->is_regular_file(ec)) return it->path();
        }
    }
    return std::nullopt;
}

std::optional<fs::path> FindDataFile(std::string_view name) { return FindFileIn(DataSearchDirs(), name); }

}  // namespace r4860::files
