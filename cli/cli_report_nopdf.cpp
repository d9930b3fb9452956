// r4860-cli built without the Qt windows (the thread-sanitizer build): reports as text only.
#include "report_pdf.h"

namespace r4860::cli {

std::unique_ptr<ReportPdfOutput> OpenReportPdfOutput() { return nullptr; }

}  // namespace r4860::cli
