// The report command of r4860-cli: the configuration report of parameter files or of the
// connected transducer, as text on standard output or as one PDF each.
#pragma once

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cli_options.h"
#include "common/result.h"
#include "files/settings.h"
#include "model/config_record.h"
#include "report_pdf.h"

namespace r4860::cli {

// Takes the report command's arguments (the parameter files) into `o` and checks its options.
[[nodiscard]] Status CheckReportOptions(Options& o, const std::vector<std::string>& positional);

class ReportCommand {
public:
    explicit ReportCommand(const Options& options) : m_options(options) {}

    // The language and, when asked for, the PDF output, before anything is read: 0, or the exit
    // code of what stands in the way.
    [[nodiscard]] int prepare();
    // Each parameter file in turn; a file that cannot be read or written is named and skipped,
    // and the run then ends with 1 once the others are done.
    [[nodiscard]] int reportFiles(files::Settings& settings);
    // A configuration read from the transducer; its PDF is named after its serial number.
    [[nodiscard]] int reportTransducer(const model::ConfigRecord& rec);

private:
    bool deliver(const std::string& name, const std::string& stem, const model::ConfigRecord& rec);

    const Options& m_options;
    long m_today = 0;
    std::unique_ptr<ReportPdfOutput> m_pdf;
    std::set<std::filesystem::path> m_written;   // a second file of one name must not replace the first
    bool m_textShown = false;
};

}  // namespace r4860::cli
