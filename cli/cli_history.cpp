#include "cli_history.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "cli_commands.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "config_summary.h"
#include "files/history_csv.h"
#include "files/history_time.h"
#include "files/sqlite_history_store.h"
#include "workflow/history_entries.h"
#include "workflow/history_review.h"

namespace r4860::cli {
namespace {

using files::HistoryRecord;
using files::HistoryStore;

constexpr std::size_t kPageRows = 500;

int exitFor(const Error& e) {
    Say(e.message);
    return e.code == Errc::BadArgument ? kExitUsage : kExitTransducer;
}

Result<files::HistoryFilter> filterOf(const HistoryArgs& h) {
    files::HistoryFilter f;
    f.serial = h.serial;
    f.idTag = h.tag;
    if (h.failed) f.outcomes = files::HistoryFilter::Outcomes::Failed;
    for (const auto& [text, bound, end] : {std::tuple{&h.since, &f.sinceMs, false}, {&h.until, &f.untilMs, true}}) {
        if (text->empty()) continue;
        *bound = end ? files::LocalDayEndMs(*text) : files::LocalDayStartMs(*text);
        if (!*bound) return makeError(Errc::BadArgument, *text + ": a date dd.mm.yyyy or yyyy-mm-dd");
    }
    return f;
}

bool emit(const std::string& text) { return std::fputs(text.c_str(), stdout) >= 0; }

int outputEnd() {
    if (std::fflush(stdout) == 0 || errno == EPIPE) return kExitOk;
    Say(std::string("standard output: ") + std::strerror(errno));
    return kExitTransducer;
}

std::string rowText(const HistoryRecord& r) {
    char line[256];
    std::snprintf(line, sizeof line, "%6lld  %s  %-12s  %-11s  %-5s  %-8s  %-15s  %s", static_cast<long long>(r.id),
                  files::LocalTimeText(r.timeMs).c_str(), std::string(files::OperationWord(r.operation)).c_str(),
                  std::string(files::OutcomeWord(r.outcome)).c_str(), r.model.c_str(), r.serial.c_str(),
                  r.idTag.c_str(), r.operatorName.c_str());
    std::string text = line;
    if (r.failed() && !r.message.empty()) text += "  " + r.message.substr(0, r.message.find('\n'));
    return text + "\n";
}

int list(const HistoryArgs& h, HistoryStore& store) {
    auto filter = filterOf(h);
    if (!filter) return exitFor(filter.error());
    if (!emit(h.csv ? files::HistoryCsvHeader(files::CsvColumns::Summary)
                    : "    ID  Time                 Operation     Outcome      Model  Serial    ID tag           "
                      "Operator\n"))
        return outputEnd();
    std::optional<files::HistoryPageKey> after;
    do {
        auto page = store.page(*filter, after, kPageRows);
        if (!page) return exitFor(page.error());
        for (const auto& r : page->rows)
            if (!emit(h.csv ? files::HistoryCsvRow(r, files::CsvColumns::Summary) : rowText(r))) return outputEnd();
        after = page->next;
    } while (after);
    return outputEnd();
}

std::string differencesLines(const std::vector<model::ItemDifference>& items) {
    const std::string text = workflow::DifferencesText(items);
    std::string indented;
    for (std::size_t start = 0; start < text.size();) {
        const auto end = text.find('\n', start);
        indented += "  " + text.substr(start, end - start) + "\n";
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return indented;
}

void printRecord(const HistoryRecord& r) {
    std::printf("Record %lld (uid %s)\n", static_cast<long long>(r.id), r.uid.c_str());
    std::printf("Time:            %s (%s)\n", files::LocalTimeText(r.timeMs).c_str(), files::UtcStamp(r.timeMs).c_str());
    std::printf("Operation:       %s%s\n", std::string(files::OperationWord(r.operation)).c_str(),
                r.verified ? ", read back" : "");
    std::printf("Outcome:         %s%s%s\n", std::string(files::OutcomeWord(r.outcome)).c_str(),
                r.message.empty() ? "" : ": ", r.message.c_str());
    std::fputs(differencesLines(r.differences).c_str(), stdout);
    std::printf("Transducer:      %s, serial number %s, code version %s, calibrated %s\n",
                r.model.empty() ? "?" : r.model.c_str(), r.serial.empty() ? "?" : r.serial.c_str(),
                r.codeVersion.c_str(), r.calDate.c_str());
    std::printf("Configuration:   ID tag \"%s\", dated %s\n", r.idTag.c_str(), r.configDate.c_str());
    if (!r.parFileName.empty())
        std::printf("Parameter file:  %s (SHA-256 %s)\n", r.parFileName.c_str(), r.parFileHash.c_str());
    std::printf("Station:         %s at %s, port %s (%s), tool %s\n", r.operatorName.c_str(), r.host.c_str(),
                r.port.c_str(), r.devicePath.c_str(), r.toolVersion.c_str());
    if (!r.restoreOf.empty()) std::printf("Restores:        the record with uid %s\n", r.restoreOf.c_str());
    if (r.imageBefore && r.image) {
        HistoryRecord before = r;
        before.operation = files::HistoryOperation::Read;
        before.image = r.imageBefore;
        if (auto changed = workflow::CompareRecords(before, r); changed && !changed->empty())
            std::printf("Changed by it:\n%s", differencesLines(*changed).c_str());
    }
    if (auto config = workflow::RecordedConfiguration(r))
        std::printf("Configuration %s:\n%s", r.operation == files::HistoryOperation::Read ? "read" : "held",
                    ConfigSummary(*config).c_str());
}

int show(const HistoryArgs& h, HistoryStore& store) {
    auto r = store.get(h.ids[0]);
    if (!r) return exitFor(r.error());
    printRecord(*r);
    return outputEnd();
}

int diff(const HistoryArgs& h, HistoryStore& store) {
    auto a = store.get(h.ids[0]);
    if (!a) return exitFor(a.error());
    auto b = store.get(h.ids[1]);
    if (!b) return exitFor(b.error());
    auto items = workflow::CompareRecords(*a, *b);
    if (!items) return exitFor(items.error());
    if (items->empty()) std::printf("Records %lld and %lld hold the same configuration\n", h.ids[0], h.ids[1]);
    else std::printf("From record %lld to record %lld:\n%s", h.ids[0], h.ids[1], differencesLines(*items).c_str());
    return outputEnd();
}

int exportRecords(const HistoryArgs& h, HistoryStore& store) {
    auto filter = filterOf(h);
    if (!filter) return exitFor(filter.error());
    bool written = emit(files::HistoryCsvHeader(files::CsvColumns::Full));
    const auto visited = store.forEach(*filter, [&written](const HistoryRecord& r) {
        written = written && emit(files::HistoryCsvRow(r, files::CsvColumns::Full));
        return written;
    });
    if (!visited) return exitFor(visited.error());
    return outputEnd();
}

int import(const HistoryArgs& h, HistoryStore& store) {
    std::ifstream in(h.file, std::ios::binary);
    if (!in) return exitFor(makeError(Errc::BadArgument, h.file + ": " + std::strerror(errno)));
    files::HistoryCsvReader reader(in);
    if (auto header = reader.readHeader(); !header) return exitFor(makeError(Errc::BadArgument, h.file + ": " + header.error().message));
    files::ImportSummary total;
    std::vector<HistoryRecord> batch;
    // Batches keep the write lock short, so the window and other runs record in between; an
    // interrupted import is simply run again: what is there already is kept once.
    for (bool more = true; more;) {
        auto r = reader.next();
        if (!r) return exitFor(makeError(Errc::BadArgument, h.file + ": " + r.error().message));
        more = r->has_value();
        if (more) batch.push_back(std::move(**r));
        if (batch.size() < kPageRows && more) continue;
        auto done = store.import(batch);
        if (!done) return exitFor(done.error());
        total.added += done->added;
        total.alreadyPresent += done->alreadyPresent;
        batch.clear();
    }
    std::printf("%zu records added, %zu already present, to %s\n", total.added, total.alreadyPresent,
                store.location().c_str());
    return kExitOk;
}

// The restore's record: what the normal write and its verification said, and whose earlier
// image was written back.
void recordRestore(Run& run, const workflow::WriteFacts& facts, const std::string& sourceUid) {
    auto entry = workflow::WriteEntry(run.session.line(), facts);
    entry.restoreOf = sourceUid;
    run.record(std::move(entry));
}

// Identifies the connected transducer and checks it is the plan's; the image read, or the exit code.
Result<model::ConfigImage> restoreTarget(Run& run, const workflow::RestorePlan& plan, workflow::WriteFacts& facts) {
    model::ConfigRecord current;
    model::ConfigImage image{};
    const auto read = workflow::ReadConfiguration(run.session.link(), run.session.line(), current, image, run.progress());
    if (run.report(read.outcome) != kExitOk) {
        facts.transfer = read.outcome;
        recordRestore(run, facts, plan.sourceUid);
        return makeError(Errc::Io, "");
    }
    facts.before = image;
    if (auto same = workflow::CheckRestoreTarget(plan, image); !same) {
        facts.transfer.message = same.error().message;
        recordRestore(run, facts, plan.sourceUid);
        Say(same.error().message);
        return same.error();
    }
    return image;
}

}  // namespace

int HistoryRestore(const Options& o, Run& run) {
    HistoryStore* store = run.history.store();
    if (store == nullptr) {
        Say("history restore needs the history, which cannot be opened");
        return kExitTransducer;
    }
    auto selected = store->get(o.history.ids[0]);
    if (!selected) return exitFor(selected.error());
    auto plan = workflow::PlanRestore(*selected, TodayDays());
    if (!plan) return exitFor(plan.error());
    workflow::WriteFacts facts;
    facts.operation = files::HistoryOperation::Restore;
    auto current = restoreTarget(run, *plan, facts);
    if (!current) return kExitTransducer;
    auto prepared = workflow::PrepareRestore(run.session.line(), *plan, *current);
    if (prepared.refused) {
        facts.transfer = *prepared.refused;
        recordRestore(run, facts, plan->sourceUid);
        return run.report(*prepared.refused);
    }
    model::ConfigImage image = prepared.request.image;
    const auto result = run.writeTransfer(std::move(prepared.request), true);
    facts.transfer = workflow::FinishWrite(result, workflow::WriteKind::Full, image);
    facts.sent = result.status != protocol::TransferStatus::Busy && result.status != protocol::TransferStatus::NotStarted;
    facts.image = image;
    if (!facts.transfer.ok || Stopped()) {
        recordRestore(run, facts, plan->sourceUid);
        (void)run.report(facts.transfer);
        return kExitTransducer;
    }
    run.ui.endProgressLine();
    run.awaitFreshStatus();
    facts.verification = workflow::VerifyConfiguration(run.session.link(), run.session.line(), image, run.progress());
    run.ui.endProgressLine();
    recordRestore(run, facts, plan->sourceUid);
    if (!facts.verification->verified()) {
        workflow::ShowOutcome(run.ui, facts.verification->outcome);
        Say(LangText("Verification ended with errors"));
        return kExitTransducer;
    }
    std::printf("Transducer %s restored to what it held before record %lld, %s\n", plan->serial.c_str(),
                o.history.ids[0], LangText("Verification successful").c_str());
    return kExitOk;
}

int RunHistoryCommand(const Options& o, const files::Settings& settings) {
    const auto chosen = o.historyFile.empty() ? std::nullopt : std::optional<std::filesystem::path>(o.historyFile);
    const auto file = workflow::HistoryFileFor(chosen, settings);
    files::SqliteHistoryOptions options;
    options.purpose = o.history.action == HistoryAction::Import ? files::SqliteHistoryOptions::Purpose::Record
                                                                 : files::SqliteHistoryOptions::Purpose::Query;
    auto store = files::OpenSqliteHistory(file, options);
    if (!store) {
        const bool nothingYet = store.error().code == Errc::BadArgument && !std::filesystem::exists(file);
        if (nothingYet && (o.history.action == HistoryAction::List || o.history.action == HistoryAction::Export)) {
            Say(store.error().message);
            return kExitOk;
        }
        return exitFor(store.error());
    }
    for (const auto& notice : (*store)->takeNotices()) Say("history: " + notice);
    switch (o.history.action) {
    case HistoryAction::List: return list(o.history, **store);
    case HistoryAction::Show: return show(o.history, **store);
    case HistoryAction::Diff: return diff(o.history, **store);
    case HistoryAction::Export: return exportRecords(o.history, **store);
    case HistoryAction::Import: return import(o.history, **store);
    case HistoryAction::Restore: break;
    }
    return kExitUsage;
}

}  // namespace r4860::cli
