#include "files/settings_file.h"

#include <cstdint>
#include <system_error>

#include "common/number_text.h"
#include "common/text_encoding.h"
#include "files/app_paths.h"
#include "files/line_buffer.h"

namespace r4860::files {
namespace {

// Any fixed printable text of 50 characters; it only has to stay the same from write to read.
constexpr std::string_view kPassKey = "Kq7#vTz2@pL9!mXw4^Rb8&Nc1*Hd6(Jf3)Gs5_Yk0+Ue-Oa=Zi";
static_assert(kPassKey.size() == 50);
constexpr std::size_t kMinLanguage = 2, kMaxLanguage = 12, kMinDataDir = 2;
// The main window is 489 by 401 pixels at most; these margins keep it on the desktop.
constexpr int kWindowWidthMargin = 489, kWindowHeightMargin = 401;

bool isPrintableAscii(char c) { return c >= 0x20 && c <= 0x7E; }

std::optional<long long> number(const std::vector<std::string>& lines, std::string_view key) {
    double x = 0.0;
    const auto value = LookupKey(lines, key);
    if (!value || !TextToNum(*value, x)) return std::nullopt;
    return RoundEven(x);
}

std::optional<std::int32_t> int32Number(const std::vector<std::string>& lines, std::string_view key) {
    const auto n = number(lines, key);
    if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(*n);
}

std::optional<std::string> textOfLength(const std::vector<std::string>& lines, std::string_view key,
                                        std::size_t minLength, std::size_t maxLength) {
    const auto value = LookupKey(lines, key);
    if (!value) return std::nullopt;
    // A name or folder never holds control characters; the writer would drop them anyway.
    std::string text = StripControls(*value);
    const std::size_t n = Utf8Length(text);
    if (n < minLength || n > maxLength) return std::nullopt;
    return text;
}

}  // namespace

std::string ScramblePassword(std::string_view password) {
    // The stored bytes run from 31 to 158; as Windows-1250 characters in a UTF-8 file they
    // round-trip byte for byte, and an old file written on Windows reads the same way.
    // Only what the password dialog accepts can be stored; anything else is dropped, so the
    // next run starts with the default password rather than one nobody can type.
    if (password.empty() || password.size() > kMaxPass) return {};
    std::string bytes;
    for (std::size_t i = 0; i < password.size(); ++i) {
        if (!isPrintableAscii(password[i])) return {};
        bytes += static_cast<char>((password[i] ^ kPassKey[i]) + 31);
    }
    return Cp1250ToUtf8(bytes);
}

std::optional<std::string> UnscramblePassword(std::string_view stored) {
    const std::string bytes = Utf8ToCp1250(stored);
    if (bytes.empty() || bytes.size() > kMaxPass) return std::nullopt;
    std::string password;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int s = static_cast<unsigned char>(bytes[i]);
        if (s < 31 || s > 158) return std::nullopt;
        const char c = static_cast<char>((s - 31) ^ kPassKey[i]);
        if (!isPrintableAscii(c)) return std::nullopt;
        password += c;
    }
    return password;
}

void ReadSettingsLines(Settings& s, const std::vector<std::string>& lines, const DesktopRect& desktop) {
    if (const auto port = number(lines, "ComPort"); port && *port >= 1 && *port <= UINT16_MAX)
        s.ComPort = static_cast<std::uint16_t>(*port);
    if (const auto rt = number(lines, "RTPriority")) s.RTPriority = *rt != 0;

    const auto left = int32Number(lines, "MainLeft");
    const auto top = left ? int32Number(lines, "MainTop") : std::nullopt;
    if (left && top) {
        // Each edge by itself: a window half off the desktop still gets the edge that was on it.
        if (*left > desktop.left && *left < desktop.width - kWindowWidthMargin) s.MainLeft = *left;
        if (*top > desktop.top && *top < desktop.height - kWindowHeightMargin) s.MainTop = *top;
    }

    if (auto language = textOfLength(lines, "Language", kMinLanguage, kMaxLanguage)) s.Language = *language;
    if (auto dir = textOfLength(lines, "DataDir", kMinDataDir, kMaxDataDir)) s.DataDir = *dir;
    if (const auto stored = LookupKey(lines, "Pass"); stored && !stored->empty())
        if (auto pass = UnscramblePassword(*stored)) s.Pass = *pass;
    if (auto history = LookupKey(lines, "HistoryFile"); history && !history->empty())
        s.HistoryFile = StripControls(*history);
}

void LoadSettings(Settings& s, const std::string& exeDir, const std::filesystem::path& iniFile,
                  const DesktopRect& desktop) {
    s.ExeDir = exeDir;
    s.DataDir = exeDir;
    std::error_code ec;
    if (!std::filesystem::exists(iniFile, ec)) return;
    // A file that cannot be read leaves the defaults; there is nobody to tell at this point.
    if (const auto buffer = LineBuffer::Load(iniFile)) ReadSettingsLines(s, buffer->lines(), desktop);
}

void LoadSettings(Settings& s, const DesktopRect& desktop) {
    LoadSettings(s, ExeDir().string(), SettingsFilePath(), desktop);
}

std::vector<std::string> SettingsFileLines(const Settings& s) {
    std::vector<std::string> l(11);
    l[0] = "R4860 initial parameters:";
    l[2] = "ComPort=" + std::to_string(s.ComPort);
    l[3] = std::string("RTPriority=") + (s.RTPriority ? "1" : "0");
    l[5] = "MainLeft=" + std::to_string(s.MainLeft);
    l[6] = "MainTop=" + std::to_string(s.MainTop);
    l[8] = "Language=" + StripControls(s.Language);
    l[9] = "DataDir=" + StripControls(s.DataDir);
    l[10] = "Pass=" + ScramblePassword(s.Pass);
    // Only a station that chose its own history file has the line: the others keep the 11 lines.
    if (!s.HistoryFile.empty()) l.push_back("HistoryFile=" + StripControls(s.HistoryFile));
    return l;
}

Status SaveSettings(const Settings& s, const std::filesystem::path& iniFile) {
    LineBuffer buffer;
    buffer.lines() = SettingsFileLines(s);
    if (const auto dir = iniFile.parent_path(); !dir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) return makeError(Errc::Io, dir.string() + ": " + ec.message());
    }
    return buffer.save(iniFile);
}

Status SaveSettings(const Settings& s) { return SaveSettings(s, SettingsFilePath()); }

}  // namespace r4860::files
