#include "files/log_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/catalogues.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "common/number_text.h"
#include "common/unique_fd.h"
#include "files/line_buffer.h"
#include "files/real_text.h"

namespace r4860::files {
namespace {

constexpr double kFixedTimeLimit = 1e6;  // seconds with 7 integer digits no longer fit in precision 6

std::string signedText(double value, const std::string& body) {
    return (value >= 0.0 ? "+" : "") + body;
}

// Numbers are formatted with a point whatever the process locale; the log's own separator replaces it.
std::string withSeparator(std::string text, std::string_view decimal) {
    if (decimal == ".") return text;
    if (const auto at = text.find('.'); at != std::string::npos) text.replace(at, 1, decimal);
    return text;
}

std::string timeOfDay(std::int64_t ms) {
    constexpr std::int64_t kDayMs = 86'400'000;
    ms = ((ms % kDayMs) + kDayMs) % kDayMs;
    const auto s = ms / 1000;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60));
    return buf;
}

}  // namespace

std::string SystemDecimalSeparator() {
    // From the environment, as a new process would see it, whether or not this one set its locale.
    const locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr)) return ".";
    const char* radix = ::nl_langinfo_l(RADIXCHAR, user);
    std::string decimal = radix != nullptr && *radix != '\0' ? radix : ".";
    ::freelocale(user);
    return decimal;
}

std::string LogTimeText(double elapsedMs, std::string_view decimal) {
    const double seconds = elapsedMs * 0.001;
    if (!std::isfinite(seconds)) return signedText(seconds, GeneralText(seconds, 6));
    // The rounded value decides: 999999.996 s already needs seven integer digits.
    const bool fixed = std::fabs(std::round(seconds * 100.0) / 100.0) < kFixedTimeLimit;
    const double shown = seconds == 0.0 ? 0.0 : seconds;  // no "-0.00"
    return signedText(shown, withSeparator(fixed ? FixedText(shown, 2) : GeneralText(shown, 6), decimal));
}

std::string LogResultText(double result, std::string_view decimal) {
    const double shown = result == 0.0 ? 0.0 : result;
    return signedText(shown, withSeparator(GeneralText(shown, 4), decimal));
}

std::string LogOutputText(double outputMa) {
    double shown = outputMa == 0.0 ? 0.0 : outputMa;
    // A value that rounds to zero is written "+0.00", not "-0.00".
    if (std::fabs(shown) < 0.005) shown = 0.0;
    if (!std::isfinite(shown)) return signedText(shown, GeneralText(shown, 6));
    return signedText(shown, FixedText(shown, 2, 4));
}

std::vector<std::string> LogHeaderLines(const DiagramStart& start, int unitCode) {
    const std::string_view unit =
        (unitCode >= 0 && static_cast<std::size_t>(unitCode) < UnitNames.size()) ? UnitNames[unitCode] : "";
    return {"R4860 series module measurements",
            "Date: " + DateText(start.days) + "   Time: " + timeOfDay(start.msOfDay),
            "",
            LangText("Time") + " [s]\t" + LangText("Result") + " [" + std::string(unit) + "]\t" + LangText("Output") +
                " [mA]"};
}

Status StartLog(const std::filesystem::path& logFileName, const DiagramStart& start, int unitCode,
                Settings& settings) {
    LineBuffer buffer;
    buffer.lines() = LogHeaderLines(start, unitCode);
    if (Status saved = buffer.save(logFileName); !saved) return saved;
    settings.DataDir = DataDirOf(logFileName.string());
    return {};
}

Status AppendLogRow(const std::filesystem::path& logFileName, double elapsedMs, double result, double outputMa,
                    const std::string& decimal) {
    const auto failed = [&](int err) { return makeError(Errc::Io, logFileName.string() + ": " + std::strerror(err)); };
    // No O_CREAT: a log deleted while recording must stop the recording, not start a headless file.
    // O_NONBLOCK: a FIFO put in its place must not hang the recording.
    UniqueFd fd(::open(logFileName.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) return failed(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return failed(errno);
    if (!S_ISREG(st.st_mode)) return makeError(Errc::Io, logFileName.string() + ": not a regular file");
    const std::string row =
        LogTimeText(elapsedMs, decimal) + "\t" + LogResultText(result, decimal) + "\t" + LogOutputText(outputMa) +
        "\r\n";
    // One write of the whole row: O_APPEND then puts it at the end in one piece.
    for (;;) {
        const ssize_t n = ::write(fd.get(), row.data(), row.size());
        if (n < 0 && errno == EINTR) continue;
        if (n == static_cast<ssize_t>(row.size())) break;
        const int err = n < 0 ? errno : ENOSPC;
        // A full disk can take half a row: cut it off, so a spreadsheet never reads a torn line.
        if (n > 0 && ::ftruncate(fd.get(), st.st_size) != 0) return failed(errno);
        return failed(err);
    }
    if (::close(fd.release()) != 0) return failed(errno);
    return {};
}

}  // namespace r4860::files
