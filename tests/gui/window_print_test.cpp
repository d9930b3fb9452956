// The window's report commands through the File menu and toolbar, with the printing dialogs
// scripted to print into a PDF: the panel is checked before any dialog, the page Print setup chose
// (A3 landscape) is the page of every job, upright; without a printer the export is offered; the
// export is proposed beside the parameter file; polling rests while any dialog or box is up.
#include <QLineEdit>
#include <QPrinter>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/config_report.h"
#include "support/pdf_text.h"
#include "window_harness.h"

using namespace r4860;
using qtbridge::Answer;

class WindowPrintTest : public QObject {
    Q_OBJECT
private slots:
    void everyReportCommandPrintsTheCheckedPanelOnTheSetupPage() {
        UseEnglishTable();
        const QString offer = QStringLiteral("No printer is installed! Export the report as a PDF file instead?");
        struct Row {
            const char* action;
            bool shown, printer;
            Answer answer;        // to the offer
            const char* chosen;   // in the save dialog, in the parameter file's folder
            const char* written;  // the PDF that holds the report, "" for none
            QString box;          // how the only box starts
        } rows[] = {
            {"DrukujT", false, true, Answer::Yes, "", "", QStringLiteral("No parameters!")},
            {"Podglad1", false, true, Answer::Yes, "", "", QStringLiteral("No parameters!")},
            {"EksportPdf1", false, true, Answer::Yes, "", "", QStringLiteral("No parameters!")},
            {"Drukuj1", true, true, Answer::Yes, "", "job.pdf", {}},
            {"Podglad1", true, true, Answer::Yes, "", "job.pdf", {}},
            {"Drukuj1", true, false, Answer::Yes, "handed-over", "handed-over.pdf", offer},
            {"Drukuj1", true, false, Answer::No, "unused", "", offer},
            {"EksportPdf1", true, true, Answer::Yes, "report.pdf", "report.pdf", {}},
            {"EksportPdf1", true, true, Answer::Yes, "folder.pdf", "", QStringLiteral("Cannot open file:\n")},
        };
        for (const Row& row : rows) {
            const QString tag = QStringLiteral("%1 %2").arg(row.action, row.written);
            testing::Harness h(std::nullopt);
            testing::TempDir dir;
            const QString folder = QString::fromStdString(dir.path().string()) + QLatin1Char('/');
            std::filesystem::create_directory(dir.path() / "folder.pdf");
            QStringList ticking;
            const auto seen = [&] { if (h.window->timer1()->isActive()) ticking << tag; };
            const auto toPdf = [&](QPrinter& p) {
                seen();
                p.setOutputFormat(QPrinter::PdfFormat);
                p.setOutputFileName(folder + QStringLiteral("job.pdf"));
            };
            mainwindow::DialogHooks hooks;
            hooks.printerInstalled = [&] { return row.printer; };
            hooks.pageSetup = [&](QWidget*, QPrinter& p) {
                seen();
                p.setPageSize(QPageSize(QPageSize::A3));
                p.setPageOrientation(QPageLayout::Landscape);
            };
            hooks.print = [&](QWidget*, QPrinter& p) { return toPdf(p), true; };
            hooks.preview = [&](QWidget*, QPrinter& p, const std::function<void(QPrinter*)>& paint) { toPdf(p), paint(&p); };
            h.window->setDialogHooks(hooks);
            h.messages.onBox = seen;
            h.messages.answers.push_back(row.answer);
            if (row.shown) {
                h.files.opened << testing::WritePt100(dir.path(), h.context.settings);
                h.window->Otworz1Click();
                h.find<QLineEdit>("MinInputE")->setText(QStringLiteral("12.5"));  // typed, not yet taken
            }
            h.files.saved << folder + QLatin1String(row.chosen);
            h.window->timer1()->start();
            h.find<QAction>("PrintSetup1")->trigger();
            if (row.action == QLatin1String("DrukujT")) h.click(row.action); else h.find<QAction>(row.action)->trigger();

            QVERIFY2(ticking.isEmpty() && h.window->timer1()->isActive(), qPrintable(tag));
            QCOMPARE(h.messages.boxes.size(), row.box.isEmpty() ? 0u : 1u);
            if (!row.box.isEmpty()) QVERIFY2(h.messages.boxes[0].text.startsWith(row.box), qPrintable(tag));
            const bool exported = *row.chosen && row.answer == Answer::Yes;
            QCOMPARE(h.files.proposals.size(), qsizetype(row.shown) + qsizetype(exported));
            if (exported) QCOMPARE(h.files.proposals.last(), folder + QStringLiteral("R4747-1.pdf"));
            QCOMPARE(QFile::exists(folder + QStringLiteral("job.pdf")), !strcmp(row.written, "job.pdf"));
            if (!*row.written) continue;

            QStringList report;
            for (const auto& line : files::ReportLines(h.context.record, LangTable(), model::DefaultModelList(), TodayDays()))
                report << QString::fromStdString(line);
            const QString pdf = folder + QLatin1String(row.written);
            QCOMPARE(testing::PdfLines(pdf), testing::Squeezed(report));
            const QString info = testing::Run("pdfinfo", {pdf});
            const QString title = *row.chosen ? report.front() : QStringLiteral("R4860-Printing");
            QVERIFY2(info.contains(QRegularExpression("Title: +" + QRegularExpression::escape(title) + "\n")), qPrintable(info));
            QVERIFY2(info.contains(QStringLiteral("842 x 1191 pts (A3)")), qPrintable(info));
        }
    }
};

QTEST_MAIN(WindowPrintTest)
#include "window_print_test.moc"
