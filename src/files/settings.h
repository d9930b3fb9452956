// The operator's settings kept between runs in R4860.ini. The application context of each
// executable owns one; the functions take it by reference so tests use fresh ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace r4860::files {

inline constexpr std::uint16_t kDefaultComPort = 1;
inline constexpr std::int32_t kDefaultMainLeft = 189, kDefaultMainTop = 107;
inline constexpr const char* kDefaultLanguage = "Polski";
inline constexpr const char* kDefaultPass = "mrol";
// The fixed code that opens the diagnostics window in place of the password; not a setting.
inline constexpr const char* kServiceCode = "@quilpa";
// DataDir longer than this is not kept: the dialogs then start in the system's default folder.
inline constexpr std::size_t kMaxDataDir = 60;
inline constexpr std::size_t kMaxPass = 30;

struct Settings {
    std::uint16_t ComPort = kDefaultComPort;  // COM n; the link maps it to a device path
    bool RTPriority = false;                  // highest priority during transfers
    std::int32_t MainLeft = kDefaultMainLeft;
    std::int32_t MainTop = kDefaultMainTop;
    std::string Language = kDefaultLanguage;  // file Language + ".lan"; "English" is built in
    std::string DataDir;                      // folder the file dialogs offer first; may be empty
    std::string Pass = kDefaultPass;          // opens the corrections window
    std::string ExeDir;                       // folder of the executable, no trailing slash
    std::string HistoryFile;                  // the programming history's file; "" for the default
    friend bool operator==(const Settings&, const Settings&) = default;
};

// The folder of `file` as DataDir keeps it: cleared when longer than 60 characters.
[[nodiscard]] std::string DataDirOf(const std::string& file);

}  // namespace r4860::files
