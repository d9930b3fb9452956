// Figures of the programming history: recording one operation (median and worst of 1000), a
// query by serial number and filtered pages of the window's table over a million records, the
// database's size per record, and what series programming adds per transducer beyond the
// transfers of a write (read before, write, verification) against the emulator.
//   history_bench [records]     (default 1000000; the database is built in $TMPDIR once)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/lang_table.h"
#include "files/history_time.h"
#include "files/sqlite_db.h"
#include "files/sqlite_history_store.h"
#include "model/config_image.h"
#include "protocol/link.h"
#include "protocol/transfer_job.h"
#include "support/sim_on_pty.h"
#include "workflow/app_context.h"
#include "workflow/history_recorder.h"
#include "workflow/series_programmer.h"
#include "workflow/session.h"

namespace {

using namespace r4860;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A write as the tool records it: both images, the texts a real record carries.
files::HistoryRecord writeRecord(std::mt19937& rng, std::int64_t timeMs) {
    static const char* kModels[] = {"R4747", "R4748", "R4749", "R4737", "R4738", "R4739", "R4760", "R4795", "R4720"};
    files::HistoryRecord r;
    r.uid = files::NewRecordUid();
    r.timeMs = timeMs;
    r.operatorName = "technik", r.host = "bench-station-3", r.port = "COM7", r.devicePath = "/dev/ttyUSB0";
    r.operation = files::HistoryOperation::Write;
    r.outcome = rng() % 33 == 0 ? files::HistoryOutcome::Differences : files::HistoryOutcome::Success;
    r.message = r.failed() ? "Verification ended with errors" : "Verification successful";
    if (r.failed()) r.differences = {{"Input range", "0 .. 100", "0 .. 250", {24, 25}}};
    r.verified = true;
    r.model = kModels[rng() % 9];
    r.serial = std::to_string(rng() % 50000 + 1000);
    r.codeVersion = "V2.1", r.calDate = "01.02.2026", r.configDate = "07.12.2026";
    r.idTag = "TT-" + std::to_string(rng() % 5000);
    r.parFileName = "line-7.par", r.parFileHash = std::string(64, 'a'), r.toolVersion = "0.1";
    model::ConfigImage image{};
    for (std::size_t i = 0; i < 253; ++i) image[i] = static_cast<std::uint8_t>(rng());
    r.imageBefore = image;
    image[108] ^= 1;
    r.image = image;
    return r;
}

void recordingFigures(const fs::path& dir) {
    auto recorder = workflow::HistoryRecorder::Open(dir / "record.sqlite3", workflow::ThisStation());
    std::mt19937 rng(4800);
    std::vector<double> ms;
    for (int i = 0; i < 1000; ++i) {
        const auto entry = writeRecord(rng, 0);
        const auto t = Clock::now();
        if (!recorder.record(entry, {"COM7", "/dev/ttyUSB0"})) std::printf("record %d failed\n", i);
        ms.push_back(msSince(t));
    }
    std::printf("recording one operation (1000, full sync):  median %.2f ms, worst %.2f ms\n", median(ms),
                *std::max_element(ms.begin(), ms.end()));
}

std::unique_ptr<files::HistoryStore> bigStore(const fs::path& file, long records) {
    auto store = files::OpenSqliteHistory(file);
    if (!store) return nullptr;
    const auto have = (*store)->count({});
    if (have && *have >= records) return std::move(*store);
    std::printf("building %ld records in %s ...\n", records, file.c_str());
    std::mt19937 rng(47);
    const std::int64_t start = files::NowUtcMs() - 5LL * 365 * 86'400'000;
    const auto t = Clock::now();
    std::vector<files::HistoryRecord> batch;
    for (long i = have ? *have : 0; i < records; ++i) {
        batch.push_back(writeRecord(rng, start + i * (5LL * 365 * 86'400'000 / records)));
        if (batch.size() == 10000 || i + 1 == records) {
            if (!(*store)->import(batch)) return nullptr;
            batch.clear();
        }
    }
    std::printf("built in %.1f s\n", msSince(t) / 1000);
    return std::move(*store);
}

// The first page, and a page 50 pages deep (as the view fetches more while scrolling).
void pageFigures(files::HistoryStore& store, const char* what, const files::HistoryFilter& filter) {
    std::vector<double> first, deep;
    for (int round = 0; round < 5; ++round) {
        auto t = Clock::now();
        auto page = store.page(filter, {}, 100);
        first.push_back(msSince(t));
        std::optional<files::HistoryPageKey> key = page ? page->next : std::nullopt;
        for (int n = 0; n < 49 && key; ++n) key = store.page(filter, key, 100)->next;
        t = Clock::now();
        if (!key) continue;
        (void)store.page(filter, key, 100);
        deep.push_back(msSince(t));
    }
    const auto t = Clock::now();
    const auto n = store.count(filter);
    const std::string page51 = deep.empty() ? std::string("  -  ") : std::to_string(median(deep)).substr(0, 5);
    std::printf("  %-28s first page %6.2f ms, page 51 %s ms, count %8lld in %6.1f ms\n", what, median(first),
                page51.c_str(), n ? static_cast<long long>(*n) : -1LL, msSince(t));
}

void queryFigures(const fs::path& dir, long records) {
    const fs::path file = dir / "million.sqlite3";
    auto store = bigStore(file, records);
    if (!store) {
        std::printf("cannot build %s\n", file.c_str());
        return;
    }
    // The size once the write-ahead log is folded in, as it is when the last program closes it.
    if (auto db = files::sql::Database::Open(file, files::sql::Database::Mode::ReadWrite))
        (void)db->exec("PRAGMA wal_checkpoint(TRUNCATE)");
    std::error_code ec;
    const std::uintmax_t bytes = fs::file_size(file, ec);
    std::printf("database: %ld records, %.0f MB, %.0f bytes per record\n", records, bytes / 1e6,
                static_cast<double>(bytes) / records);
    std::vector<double> bySerial;
    for (int i = 0; i < 20; ++i) {
        files::HistoryFilter f;
        f.serial = std::to_string(1000 + i * 2417);
        const auto t = Clock::now();
        (void)store->page(f, {}, 100);
        bySerial.push_back(msSince(t));
    }
    std::printf("query by serial number (page of 100, median of 20): %.2f ms\n", median(bySerial));
    std::printf("filtered pages of the history table (100 rows):\n");
    files::HistoryFilter none, failed, tag, shortTag, model, month;
    failed.outcomes = files::HistoryFilter::Outcomes::Failed;
    tag.idTag = "TT-12";
    shortTag.idTag = "TT";
    model.model = "R4737";
    month.sinceMs = files::NowUtcMs() - 400LL * 86'400'000, month.untilMs = *month.sinceMs + 31LL * 86'400'000;
    files::HistoryFilter failedModelMonth = month;
    failedModelMonth.outcomes = files::HistoryFilter::Outcomes::Failed, failedModelMonth.model = "R4737";
    pageFigures(*store, "no filter", none);
    pageFigures(*store, "failed", failed);
    pageFigures(*store, "ID tag starting TT-12", tag);
    pageFigures(*store, "ID tag starting TT (all)", shortTag);
    pageFigures(*store, "model R4737", model);
    pageFigures(*store, "one month", month);
    pageFigures(*store, "failed R4737 in one month", failedModelMonth);
}

struct DeviceTimes {
    double total = 0, transfers = 0, polls = 0, recording = 0;
};

// One transducer through the series, timed the way the command-line tool drives it.
DeviceTimes oneDevice(workflow::SeriesProgrammer& series, workflow::Session& session,
                      workflow::HistoryRecorder& recorder) {
    DeviceTimes d;
    const auto start = Clock::now();
    const auto poll = [&session] {
        workflow::LineState line = session.line();
        line.connected = session.poll();
        return line;
    };
    using Step = workflow::SeriesProgrammer::Step;
    while (series.step() == Step::Identify || series.step() == Step::Write || series.step() == Step::Verify) {
        const auto t = Clock::now();
        for (int polls = 0; series.awaitingStatus() && polls < 10; ++polls) series.linePolled(poll());
        d.polls += msSince(t);
        auto prepared = series.prepare();
        std::optional<workflow::SeriesDevice> done;
        if (prepared.refused) {
            done = series.refused(*prepared.refused);
        } else {
            const auto t = Clock::now();
            const auto result = protocol::RunTransferBlocking(session.link(), std::move(prepared.request));
            d.transfers += msSince(t);
            done = series.finished(result);
        }
        if (done) {
            const auto t = Clock::now();
            (void)recorder.record(done->entry, {"COM99", "/dev/pts/0"});
            d.recording = msSince(t);
            if (done->verdict != workflow::SeriesVerdict::Programmed) std::printf("  not programmed: %s\n", done->message.c_str());
        }
    }
    d.total = msSince(start);
    return d;
}

void seriesFigures(const fs::path& dir) {
    testing::SimOnPty sim;
    workflow::AppContext context;
    workflow::Session session(context);
    if (!sim.ok() || !session.open(sim.slavePath(), {})) {
        std::printf("series: no emulator (%s)\n", sim.startError().c_str());
        return;
    }
    workflow::SeriesPlan plan;
    model::ConfigImage image{};
    model::SetInitialState(plan.config);
    if (!workflow::ReadConfiguration(session.link(), session.line(), plan.config, image).outcome.ok) return;
    plan.config.Informacje.kod = "SERIES";
    plan.today = 46000;
    constexpr int kDevices = 3;
    plan.count = kDevices;
    workflow::SeriesProgrammer series(plan);
    auto recorder = workflow::HistoryRecorder::Open(dir / "series.sqlite3", workflow::ThisStation());
    std::vector<DeviceTimes> times;
    using Step = workflow::SeriesProgrammer::Step;
    for (int n = 0; series.step() != Step::Finished;) {
        workflow::LineState line = session.line();
        line.connected = session.poll();
        series.linePolled(line);
        if (series.step() == Step::Identify) {
            times.push_back(oneDevice(series, session, recorder));
            sim.control("silence on");   // taken away ...
        } else if (series.step() == Step::WaitForTransducer && !times.empty()) {
            sim.control("serial " + std::to_string(5000 + ++n));   // ... and the next one plugged in
            sim.control("silence off");
        }
    }
    DeviceTimes mean;
    for (const auto& t : times) {
        mean.total += t.total / times.size(), mean.transfers += t.transfers / times.size();
        mean.polls += t.polls / times.size(), mean.recording += t.recording / times.size();
    }
    std::printf("series programming, %zu transducers, per transducer (ms):\n", times.size());
    std::printf("  identified, written, verified, recorded   %8.0f\n", mean.total);
    std::printf("  transfers (read before, write, read-back) %8.0f\n", mean.transfers);
    std::printf("  status frames awaited after the write     %8.0f   (as every write)\n", mean.polls);
    std::printf("  the series' own work (rules, recording)   %8.1f   (recording %.1f)\n",
                mean.total - mean.transfers - mean.polls, mean.recording);
}

}  // namespace

int main(int argc, char** argv) {
    UseEnglishTable();
    const long records = argc > 1 ? std::atol(argv[1]) : 1'000'000;
    const fs::path dir = fs::temp_directory_path() / "r4860-history-bench";
    fs::create_directories(dir);
    fs::remove(dir / "record.sqlite3");
    fs::remove(dir / "series.sqlite3");
    recordingFigures(dir);
    queryFigures(dir, records);
    seriesFigures(dir);
    return 0;
}
