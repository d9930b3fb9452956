// The programming history behind a small interface: the tool records and queries through it,
// so a server database can take the local file's place without touching its callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"
#include "files/history_record.h"

namespace r4860::files {

// What the history window filters by; an empty field matches everything.
struct HistoryFilter {
    std::string serial;                  // exact (leading zeros do not count)
    std::string idTag;                   // the tag starts with it, letter case ignored
    std::string model;                   // exact, as "R4747"
    std::optional<std::int64_t> sinceMs; // time >= since (UTC ms)
    std::optional<std::int64_t> untilMs; // time < until
    enum class Outcomes { Any, Succeeded, Failed } outcomes = Outcomes::Any;  // Failed: failure or differences
};

// A position in the newest-first order: the next page starts after it.
struct HistoryPageKey {
    std::int64_t timeMs = 0;
    std::int64_t id = 0;
    friend bool operator==(const HistoryPageKey&, const HistoryPageKey&) = default;
};

struct HistoryPage {
    std::vector<HistoryRecord> rows;     // without their images
    std::optional<HistoryPageKey> next;  // nothing after the last page
};

struct ImportSummary {
    std::size_t added = 0;
    std::size_t alreadyPresent = 0;      // the same record (by uid) was here before
};

class HistoryStore {
public:
    virtual ~HistoryStore() = default;

    // Stores a complete record (its uid and time set) in one transaction; returns its id.
    [[nodiscard]] virtual Result<std::int64_t> add(const HistoryRecord& record) = 0;
    // At most `limit` rows newest first, after `after` (from the start without one).
    [[nodiscard]] virtual Result<HistoryPage> page(const HistoryFilter& filter,
                                                   const std::optional<HistoryPageKey>& after,
                                                   std::size_t limit) = 0;
    [[nodiscard]] virtual Result<std::int64_t> count(const HistoryFilter& filter) = 0;
    // One record with its images; BadArgument when there is none with that id.
    [[nodiscard]] virtual Result<HistoryRecord> get(std::int64_t id) = 0;
    // Every matching record with its images, oldest first, until `visit` returns false.
    [[nodiscard]] virtual Status forEach(const HistoryFilter& filter,
                                         const std::function<bool(const HistoryRecord&)>& visit) = 0;
    // Records from another station in one transaction; a uid already here is kept once.
    [[nodiscard]] virtual Result<ImportSummary> import(std::span<const HistoryRecord> records) = 0;
    // Where the records are, for the operator's messages.
    [[nodiscard]] virtual std::string location() const = 0;
    // What the operator must be told that no call's result says (a damaged file set aside).
    [[nodiscard]] virtual std::vector<std::string> takeNotices() { return {}; }
};

}  // namespace r4860::files
