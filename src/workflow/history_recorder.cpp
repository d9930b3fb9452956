#include "workflow/history_recorder.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>

#include "common/version.h"
#include "files/history_place.h"
#include "files/history_time.h"

namespace r4860::workflow {

Station ThisStation() {
    Station s;
    // The login name of whoever sits at the terminal, also under sudo; the account otherwise
    // (a window started from a desktop has no controlling terminal).
    char name[LOGIN_NAME_MAX + 1] = {};
    if (::getlogin_r(name, sizeof name) == 0 && name[0] != '\0') {
        s.operatorName = name;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_name != nullptr) {
        s.operatorName = pw->pw_name;
    } else {
        s.operatorName = "uid " + std::to_string(::getuid());
    }
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) == 0) s.host = host;
    s.toolVersion = kVersionText;
    return s;
}

std::filesystem::path HistoryFileFor(const std::optional<std::filesystem::path>& chosen,
                                     const files::Settings& settings) {
    if (chosen && !chosen->empty()) return *chosen;
    if (!settings.HistoryFile.empty()) return settings.HistoryFile;
    return files::DefaultHistoryFile();
}

HistoryRecorder HistoryRecorder::Open(const std::filesystem::path& file, Station station,
                                      const files::SqliteHistoryOptions& options) {
    auto store = files::OpenSqliteHistory(file, options);
    if (!store) return HistoryRecorder(store.error(), std::move(station));
    return HistoryRecorder(std::move(*store), std::move(station));
}

Result<std::int64_t> HistoryRecorder::record(files::HistoryRecord entry, const LinePlace& place) {
    if (!m_store) return m_unavailable.value_or(makeError(Errc::Io, "no history"));
    entry.uid = files::NewRecordUid();
    entry.timeMs = files::NowUtcMs();
    entry.operatorName = m_station.operatorName;
    entry.host = m_station.host;
    entry.toolVersion = m_station.toolVersion;
    entry.port = place.port;
    // The device itself rather than the link naming it: ports/COM7 may point elsewhere tomorrow.
    std::error_code ec;
    const auto device = std::filesystem::canonical(place.devicePath, ec);
    entry.devicePath = ec ? place.devicePath : device.string();
    return m_store->add(entry);
}

std::vector<std::string> HistoryRecorder::takeNotices() {
    return m_store ? m_store->takeNotices() : std::vector<std::string>{};
}

}  // namespace r4860::workflow
