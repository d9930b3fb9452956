// PDF output of r4860-cli through the report module, on Qt's offscreen platform.
#include "report_pdf.h"

#include <cstdlib>

#include <QGuiApplication>
#include <QString>

#include "common/trace.h"
#include "report/report_print.h"

namespace r4860::cli {
namespace {

// The toolkit's remarks about the platform (no runtime folder, and the like) are for developers:
// they go to the trace (--verbose), not to the operator's terminal.
void TraceQtMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    Trace("qt", message.toStdString());
}

class QtReportPdfOutput final : public ReportPdfOutput {
public:
    QtReportPdfOutput() : m_app(withOffscreenPlatform(m_argc), m_argv) {}

    Status write(const std::vector<std::string>& lines, const std::filesystem::path& file) override {
        return report::ExportReportPdf(lines, file);
    }

private:
    // Fonts need a platform; the offscreen one needs no display, whatever DISPLAY says.
    static int& withOffscreenPlatform(int& argc) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        qInstallMessageHandler(TraceQtMessage);
        return argc;
    }

    int m_argc = 1;
    char m_name[10] = "r4860-cli";
    char* m_argv[2] = {m_name, nullptr};
    QGuiApplication m_app;
};

}  // namespace

std::unique_ptr<ReportPdfOutput> OpenReportPdfOutput() { return std::make_unique<QtReportPdfOutput>(); }

}  // namespace r4860::cli
