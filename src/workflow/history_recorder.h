// Recording operations into the programming history. A history that cannot be written never
// stops the operation the operator asked for: every call returns its failure as a value, for the
// caller to report at once (the window in its status, the command-line tool on stderr).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "files/history_store.h"
#include "files/settings.h"
#include "files/sqlite_history_store.h"

namespace r4860::workflow {

// Who records, where and with what: stamped on every record of the run.
struct Station {
    std::string operatorName;  // the login name
    std::string host;
    std::string toolVersion;
};
[[nodiscard]] Station ThisStation();

// The port an operation ran on, as named and as opened (a link is recorded as its target).
struct LinePlace {
    std::string port;
    std::string devicePath;
};

// The history file: `chosen` (--history) first, then the HistoryFile setting, then the default.
[[nodiscard]] std::filesystem::path HistoryFileFor(const std::optional<std::filesystem::path>& chosen,
                                                   const files::Settings& settings);

class HistoryRecorder {
public:
    // A recorder without a history: each record() fails with `why` (the reason it could not open).
    HistoryRecorder(Error why, Station station) : m_station(std::move(station)), m_unavailable(std::move(why)) {}
    HistoryRecorder(std::unique_ptr<files::HistoryStore> store, Station station)
        : m_store(std::move(store)), m_station(std::move(station)) {}

    // Opens `file` for recording; a history that cannot be opened gives a recorder that says so.
    [[nodiscard]] static HistoryRecorder Open(const std::filesystem::path& file, Station station,
                                              const files::SqliteHistoryOptions& options = {});

    [[nodiscard]] bool available() const noexcept { return m_store != nullptr; }
    [[nodiscard]] const std::optional<Error>& unavailable() const noexcept { return m_unavailable; }
    [[nodiscard]] files::HistoryStore* store() noexcept { return m_store.get(); }

    // Gives the entry its uid, time, station and place and stores it; its id, or why not.
    [[nodiscard]] Result<std::int64_t> record(files::HistoryRecord entry, const LinePlace& place);
    // Notices from the store (a damaged file set aside) for the operator.
    [[nodiscard]] std::vector<std::string> takeNotices();

private:
    std::unique_ptr<files::HistoryStore> m_store;
    Station m_station;
    std::optional<Error> m_unavailable;
};

}  // namespace r4860::workflow
