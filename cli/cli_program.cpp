#include "cli_program.h"

#include <cstdio>
#include <filesystem>

#include "cli_commands.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/config_report.h"
#include "model/models.h"
#include "report_pdf.h"
#include "workflow/config_checks.h"
#include "workflow/series_programmer.h"

namespace r4860::cli {
namespace {

using workflow::SeriesDevice;
using workflow::SeriesProgrammer;
using Step = SeriesProgrammer::Step;

const char* verdictWord(workflow::SeriesVerdict v) {
    switch (v) {
    case workflow::SeriesVerdict::Programmed: return "programmed";
    case workflow::SeriesVerdict::Failed: return "failed";
    case workflow::SeriesVerdict::Refused: return "refused";
    case workflow::SeriesVerdict::Skipped: return "skipped";
    }
    return "?";
}

void printDevice(int n, const SeriesDevice& d) {
    const auto orDash = [](const std::string& s) { return s.empty() ? "-" : s.c_str(); };
    std::printf("%4d  %-10s  %-8s  %-5s  %-15s  %s\n", n, verdictWord(d.verdict), orDash(d.serial), orDash(d.model),
                orDash(d.idTag), d.message.c_str());
    std::fflush(stdout);
}

// The series owns the first stop request while it runs.
struct SeriesStopGuard {
    SeriesStopGuard() { SetSeriesRunning(true); }
    ~SeriesStopGuard() { SetSeriesRunning(false); }
};

// Runs the step's transfer (or takes its refusal); the transducer it finished, if it did.
std::optional<SeriesDevice> runStep(SeriesProgrammer& series, Run& run) {
    for (int polls = 0; series.awaitingStatus() && polls < 10 && !Stopped(); ++polls) series.linePolled(run.poll());
    const bool writing = series.step() == Step::Write;
    auto prepared = series.prepare();
    if (prepared.refused) return series.refused(*prepared.refused);
    const auto result = writing ? run.writeTransfer(std::move(prepared.request), true)
                                : protocol::RunTransferBlocking(run.session.link(), std::move(prepared.request),
                                                                run.progress());
    run.ui.endProgressLine();
    return series.finished(result);
}

// Each programmed transducer's report as a PDF named by its serial number and ID tag.
class SeriesReports {
public:
    explicit SeriesReports(const std::string& dir) : m_dir(dir) {}
    // Exit code 2 when reports were asked for and cannot be made.
    int open() {
        if (m_dir.empty()) return kExitOk;
        std::error_code ec;
        std::filesystem::create_directories(m_dir, ec);
        if (ec) {
            Say(m_dir.string() + ": " + ec.message());
            return kExitUsage;
        }
        m_pdf = OpenReportPdfOutput();
        if (m_pdf) return kExitOk;
        Say("--report-dir: this r4860-cli is built without PDF output (the Qt windows)");
        return kExitUsage;
    }
    void write(const SeriesDevice& d) {
        if (!m_pdf || !d.programmed) return;
        const auto file = m_dir / files::ReportPdfName(d.serial + "-" + d.idTag);
        const auto lines = files::ReportLines(*d.programmed, LangTable(), model::DefaultModelList(), TodayDays());
        if (auto written = m_pdf->write(lines, file); !written) {
            m_failed = true;
            Say("report of " + d.serial + ": " + written.error().message);
        }
    }
    [[nodiscard]] bool failed() const noexcept { return m_failed; }

private:
    std::filesystem::path m_dir;
    std::unique_ptr<ReportPdfOutput> m_pdf;
    bool m_failed = false;
};

int refuseFile(const Options& o, model::ConfigRecord& rec, const std::vector<model::Repair>& repairs) {
    if (!repairs.empty()) {
        Say(o.parFile + " holds values the transducer cannot take; correct the file:");
        for (const auto& r : repairs)
            std::fprintf(stderr, "  %s %s -> %s, %s\n", r.field.c_str(), r.fileValue.c_str(), r.writtenValue.c_str(),
                         r.why.c_str());
        return kExitUsage;
    }
    if (auto writable = workflow::CheckWritable(rec, TodayDays()); !writable) {
        Say(writable.error().message);
        return kExitUsage;
    }
    return kExitOk;
}

}  // namespace

int ProgramSeries(const Options& o, Run& run, model::ConfigRecord& rec, const std::vector<model::Repair>& repairs) {
    if (const int rc = refuseFile(o, rec, repairs); rc != kExitOk) return rc;
    workflow::SeriesPlan plan;
    plan.config = rec;
    plan.parFile = o.parFile;
    plan.count = o.program.count;
    plan.today = TodayDays();
    SeriesReports reports(o.program.reportDir);
    if (const int rc = reports.open(); rc != kExitOk) return rc;
    SeriesProgrammer series(std::move(plan));
    SeriesStopGuard guard;
    std::printf("   #  outcome     serial    model  ID tag           \n");
    bool waitingSaid = false;
    int devices = 0;
    while (series.step() != Step::Finished) {
        if (SeriesStopRequested()) series.stop();
        switch (series.step()) {
        case Step::WaitForTransducer:
            if (!std::exchange(waitingSaid, true)) Say("waiting for the next transducer (Ctrl-C ends the series)");
            series.linePolled(run.poll());
            break;
        case Step::WaitForRemoval:
            waitingSaid = false;
            series.linePolled(run.poll());
            break;
        case Step::Identify:
        case Step::Write:
        case Step::Verify:
            if (auto device = runStep(series, run)) {
                printDevice(++devices, *device);
                reports.write(*device);
                run.record(std::move(device->entry));
            }
            break;
        case Step::Finished: break;
        }
    }
    const auto& c = series.counts();
    std::printf("%d programmed, %d failed, %d skipped\n", c.programmed, c.failed, c.skipped);
    return c.failed == 0 && !reports.failed() ? kExitOk : kExitTransducer;
}

}  // namespace r4860::cli
