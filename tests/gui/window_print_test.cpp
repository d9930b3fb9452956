// The window's report commands through the File menu, with the printing dialogs scripted: nothing
// opens before the configuration is checked, the page Print setup chose is the page of every job,
// the PDF export is offered when there is no printer, and polling rests while any of them is up.
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/config_report.h"
#include "window_harness.h"

using namespace r4860;
using testing::Harness;

namespace {

QString Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) qWarning("%s failed", qPrintable(program));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Non-empty lines with their blanks squeezed: the text layer spaces words by their position.
QStringList Squeezed(const QStringList& lines) {
    QStringList kept;
    for (const QString& line : lines)
        if (const QString s = line.simplified(); !s.isEmpty()) kept << s;
    return kept;
}

QStringList PdfLines(const QString& pdf) { return Squeezed(Run("pdftotext", {"-layout", pdf, "-"}).split('\n')); }

QStringList ReportOf(const model::ConfigRecord& rec) {
    QStringList lines;
    for (const auto& line : files::ReportLines(rec, LangTable(), model::DefaultModelList(), TodayDays()))
        lines << QString::fromStdString(line);
    return lines;
}

// Every call of a printing hook, and whether the polling timer ran meanwhile.
struct Hooked {
    QStringList calls;
    QStringList ticking;
    QString docName;
};

// Hooks that write every job into `pdf`; Print setup chooses A3 landscape.
mainwindow::DialogHooks PdfHooks(Harness& h, Hooked& seen, const QString& pdf, bool printer) {
    const auto called = [&h, &seen](const char* hook) {
        seen.calls << QLatin1String(hook);
        if (h.window->timer1()->isActive()) seen.ticking << QLatin1String(hook);
    };
    const auto toFile = [pdf, &seen](QPrinter& p) {
        seen.docName = p.docName();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
    };
    mainwindow::DialogHooks hooks;
    hooks.printerInstalled = [printer] { return printer; };
    hooks.pageSetup = [called](QWidget*, QPrinter& p) {
        called("pageSetup");
        p.setPageSize(QPageSize(QPageSize::A3));
        p.setPageOrientation(QPageLayout::Landscape);
    };
    hooks.print = [called, toFile](QWidget*, QPrinter& p) { return called("print"), toFile(p), true; };
    hooks.preview = [called, toFile](QWidget*, QPrinter& p, const std::function<void(QPrinter*)>& paint) {
        called("preview");
        toFile(p);
        paint(&p);
    };
    return hooks;
}

// The Pt100 example opened, with a lower range typed but not yet confirmed in its edit.
void OpenWithTypedRange(Harness& h, const testing::TempDir& dir) {
    h.files.opened << testing::WritePt100(dir.path(), h.context.settings);
    h.window->Otworz1Click();
    h.find<QLineEdit>("MinInputE")->setText(QStringLiteral("12.5"));
}

}  // namespace

class WindowPrintTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseEnglishTable(); }

    void nothingShownRefusesBeforeAnyDialog() {
        for (const char* action : {"Drukuj1", "DrukujT", "Podglad1", "EksportPdf1"}) {
            Harness h(std::nullopt);
            Hooked seen;
            h.window->setDialogHooks(PdfHooks(h, seen, QString(), true));
            if (action == QLatin1String("DrukujT")) {
                h.click(action);
            } else {
                h.find<QAction>(action)->trigger();
            }
            QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("No parameters!")});
            QVERIFY2(seen.calls.isEmpty() && h.files.proposals.isEmpty(), action);
        }
    }

    // Print and preview draw on the window's printer: the page Print setup chose, turned upright.
    void printAndPreviewUseThePrintSetupPage() {
        for (const char* action : {"Drukuj1", "Podglad1"}) {
            Harness h(std::nullopt);
            testing::TempDir dir;
            const QString pdf = QString::fromStdString((dir.path() / "job.pdf").string());
            Hooked seen;
            h.window->setDialogHooks(PdfHooks(h, seen, pdf, true));
            OpenWithTypedRange(h, dir);
            h.window->timer1()->start();
            h.find<QAction>("PrintSetup1")->trigger();
            h.find<QAction>(action)->trigger();
            QCOMPARE(seen.calls, (QStringList{"pageSetup", action == QLatin1String("Drukuj1") ? "print" : "preview"}));
            QCOMPARE(seen.ticking, QStringList{});
            QVERIFY(h.window->timer1()->isActive());
            QCOMPARE(seen.docName, QStringLiteral("R4860-Printing"));
            QCOMPARE(h.context.record.Parametry.MinInput, 12.5);  // the edit was taken first
            const QStringList printed = PdfLines(pdf);
            QCOMPARE(printed, Squeezed(ReportOf(h.context.record)));
            QVERIFY(printed.join('\n').contains(QStringLiteral("Input range: 12.50 to 100.00")));
            QVERIFY2(Run("pdfinfo", {pdf}).contains(QStringLiteral("842 x 1191 pts (A3)")), action);
            QVERIFY(h.messages.boxes.empty());
        }
    }

    // Export PDF, also what Print offers without a printer: the name proposed beside the
    // parameter file, the page of Print setup, the title and the tool in the document.
    void theExportWritesTheReportWhereItIsAsked() {
        const QString offer = QStringLiteral("No printer is installed! Export the report as a PDF file instead?");
        struct Row {
            const char* action;
            qtbridge::Answer answer;  // to the offer
            const char* chosen;       // in the save dialog, in the parameter file's folder
            const char* written;      // "" when nothing is
            QStringList boxes;
        } rows[] = {
            {"Drukuj1", qtbridge::Answer::Yes, "handed-over", "handed-over.pdf", {offer}},
            {"Drukuj1", qtbridge::Answer::No, "unused", "", {offer}},
            {"EksportPdf1", qtbridge::Answer::Yes, "report.pdf", "report.pdf", {}},
            {"EksportPdf1", qtbridge::Answer::Yes, "folder.pdf", "", {"Cannot open file:\n"}},
        };
        for (const Row& row : rows) {
            Harness h(std::nullopt);
            testing::TempDir dir;
            std::filesystem::create_directory(dir.path() / "folder.pdf");
            Hooked seen;
            h.window->setDialogHooks(PdfHooks(h, seen, QString(), false));
            OpenWithTypedRange(h, dir);
            const QString folder = QString::fromStdString(dir.path().string());
            h.files.saved << folder + QLatin1Char('/') + QLatin1String(row.chosen);
            h.messages.answers.push_back(row.answer);
            h.messages.onBox = [&] { seen.ticking << (h.window->timer1()->isActive() ? "box" : ""); };
            h.window->timer1()->start();
            h.find<QAction>("PrintSetup1")->trigger();
            h.find<QAction>(row.action)->trigger();
            QCOMPARE(seen.calls, QStringList{"pageSetup"});
            QVERIFY2(!seen.ticking.contains(QStringLiteral("box")), row.chosen);
            QVERIFY(h.window->timer1()->isActive());
            for (int i = 0; i < row.boxes.size(); ++i) QVERIFY2(h.messages.texts().value(i).startsWith(row.boxes[i]), row.chosen);
            QCOMPARE(h.messages.boxes.size(), static_cast<std::size_t>(row.boxes.size()));
            const bool offered = row.answer == qtbridge::Answer::Yes;
            QCOMPARE(h.files.proposals.size(), offered ? 2 : 1);  // the open dialog's, then the export's
            if (offered) QCOMPARE(h.files.proposals[1], folder + QStringLiteral("/R4747-1.pdf"));
            if (*row.written == '\0') continue;
            const QString pdf = folder + QLatin1Char('/') + QLatin1String(row.written);
            const QStringList report = ReportOf(h.context.record);
            QCOMPARE(PdfLines(pdf), Squeezed(report));
            const QString info = Run("pdfinfo", {pdf});
            const QString title = QRegularExpression::escape(report.front());
            QVERIFY2(info.contains(QRegularExpression("Title: +" + title + "\nCreator: +R4860\n")), qPrintable(info));
            QVERIFY2(info.contains(QStringLiteral("842 x 1191 pts (A3)")), qPrintable(info));
        }
    }
};

QTEST_MAIN(WindowPrintTest)
#include "window_print_test.moc"
