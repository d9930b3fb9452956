// The programming history from the main window: the window's transfers recorded against the
// emulator, a history that cannot be written reported without stopping the work, and View >
// History driven through its filters, table, details, differences, opening and export.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <fstream>

#include "common/lang_table.h"
#include "files/atomic_file.h"
#include "files/history_time.h"
#include "mainwindow/history_table_model.h"
#include "mainwindow/history_window.h"
#include "mainwindow/window_history.h"
#include "model/config_image.h"
#include "window_harness.h"

using namespace r4860;
using files::HistoryOperation;
using files::HistoryOutcome;
using files::HistoryRecord;
using testing::Harness;

namespace {

std::vector<HistoryRecord> Newest(Harness& h, std::size_t n) {
    auto page = h.window->history().store()->page({}, std::nullopt, n);
    return page ? page->rows : std::vector<HistoryRecord>{};
}

HistoryRecord Stored(Harness& h, const HistoryRecord& row) { return *h.window->history().store()->get(row.id); }

double MaxInputOf(const model::ConfigImage& image) {
    model::ConfigRecord rec;
    model::DecodeImage(image, rec);
    return rec.Parametry.MaxInput;
}

// A record as another day's work left it.
HistoryRecord Made(const char* serial, const char* tag, const char* model, HistoryOutcome outcome, const char* day,
                   double maxInput) {
    HistoryRecord r;
    r.uid = files::NewRecordUid();
    r.timeMs = *files::LocalDayStartMs(day) + 3600 * 1000;
    r.operation = HistoryOperation::Write;
    r.outcome = outcome;
    r.serial = serial;
    r.idTag = tag;
    r.model = model;
    model::ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Device = "R4747";
    rec.Czujnik = {1, 2, 0, 1};
    rec.Parametry.MinInput = 0.0;
    rec.Parametry.MaxInput = maxInput;
    rec.Informacje.kod = tag;
    model::ConfigImage image{};
    model::EncodeOptions options;
    options.today = 9000;
    (void)model::EncodeImage(rec, image, options);
    r.image = image;
    return r;
}

}  // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseEnglishTable(); }

    void readWriteAndVerifyFromTheWindowAreRecordedWithTheImages() {
        Harness h(testing::SimOptions{});
        testing::TempDir dir;
        h.context.settings.HistoryFile = (dir / "h.sqlite3").string();
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.transfer([&] { h.click("OdczytajT"); }));
        const model::ConfigImage read = h.context.image;
        auto* max = h.find<QLineEdit>("MaxInputE");
        max->setText(QStringLiteral("250"));
        QTest::keyClick(max, Qt::Key_Return);
        QVERIFY(h.transfer([&] { h.click("ZapiszT"); }));
        h.context.state.Connected = false;
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.transfer([&] { h.find<QAction>("Weryfikuj1")->trigger(); }));

        const auto rows = Newest(h, 10);
        QCOMPARE(rows.size(), std::size_t(3));
        const HistoryOperation ops[] = {HistoryOperation::Verify, HistoryOperation::Write, HistoryOperation::Read};
        for (std::size_t i = 0; i < 3; ++i) {
            QCOMPARE(rows[i].operation, ops[i]);
            QCOMPARE(rows[i].outcome, HistoryOutcome::Success);
            QCOMPARE(rows[i].serial, rows[2].serial);
        }
        QVERIFY(!rows[2].serial.empty());
        const HistoryRecord write = Stored(h, rows[1]);
        QVERIFY(write.imageBefore && write.image);
        QCOMPARE(*write.imageBefore, read);
        QVERIFY(MaxInputOf(*write.imageBefore) != 250.0);
        QCOMPARE(MaxInputOf(*write.image), 250.0);
    }

    void restoreFromTheWindowPutsTheEarlierImageBackAndIsRecorded() {
        Harness h(testing::SimOptions{});
        testing::TempDir dir;
        h.context.settings.HistoryFile = (dir / "h.sqlite3").string();
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.transfer([&] { h.click("OdczytajT"); }));
        const auto original = h.sim->memory();
        auto* max = h.find<QLineEdit>("MaxInputE");
        max->setText(QStringLiteral("250"));
        QTest::keyClick(max, Qt::Key_Return);
        QVERIFY(h.transfer([&] { h.click("ZapiszT"); }));
        QVERIFY(h.sim->memory() != original);
        h.context.state.Connected = false;
        QVERIFY(h.tickUntilConnected());

        h.window->Historia1Click();
        auto* window = h.window->findChild<mainwindow::HistoryWindow*>("HistoryF");
        window->findChild<QTableView*>("HistoryTable")->selectRow(0);
        const auto restore = [&](int transfers) {
            h.messages.answers.push_back(qtbridge::Answer::Yes);
            return h.transfer([&] { QTest::mouseClick(window->findChild<QPushButton*>("RestoreB"), Qt::LeftButton); },
                              transfers);
        };
        // Another transducer on the line: read, refused, nothing written.
        h.sim->control("serial 4321");
        const auto other = h.sim->memory();
        QVERIFY(!restore(1));
        QVERIFY(h.sim->memory() == other);
        h.sim->control("serial 1234");
        QVERIFY(restore(2));
        // Byte for byte, the configuration date included: the restore keeps the recorded one.
        QVERIFY(h.sim->memory() == original);
        const auto rows = Newest(h, 3);
        const std::pair<HistoryOperation, HistoryOutcome> expected[] = {{HistoryOperation::Restore, HistoryOutcome::Success},
                                                                         {HistoryOperation::Restore, HistoryOutcome::Failure},
                                                                         {HistoryOperation::Write, HistoryOutcome::Success}};
        for (std::size_t i = 0; i < 3; ++i) {
            QCOMPARE(rows[i].operation, expected[i].first);
            QCOMPARE(rows[i].outcome, expected[i].second);
            if (i < 2) QCOMPARE(rows[i].restoreOf, Stored(h, rows[2]).uid);
        }
    }

    // Configuration > Program each new transducer, with the window's own timer driving it: a
    // transducer programmed, another model refused, a replug of the first skipped; each recorded.
    void seriesProgramsEachNewTransducerOnce() {
        Harness h(testing::SimOptions{});
        testing::TempDir dir;
        h.context.settings.HistoryFile = (dir / "h.sqlite3").string();
        std::filesystem::create_directory(dir / "reports");
        QVERIFY(h.tickUntilConnected());
        h.files.opened << testing::WritePt100(dir.path(), h.context.settings);
        h.window->Otworz1Click();
        h.messages.clear();
        h.messages.answers = {qtbridge::Answer::Ok, qtbridge::Answer::Yes};
        h.files.folders << QString::fromStdString((dir / "reports").string());
        auto* toggle = h.find<QAction>("Seria1");
        toggle->trigger();
        QVERIFY(h.window->series() && toggle->isChecked());
        h.window->timer1()->start();
        const auto shows = [&](const char* text) {
            return QTest::qWaitFor([&] { return h.status().contains(QLatin1String(text)); }, 30000);
        };
        // Each: what the status line shows once it is done, then the next transducer plugged in.
        const struct {
            const char* done;
            std::vector<const char*> next;
        } steps[] = {
            {"Programmed: 1, Failed: 0, Skipped: 0. 1234 R4747 TAG-7: written and verified", {"model 37", "serial 2002"}},
            {"Programmed: 1, Failed: 1, Skipped: 0. 2002 R4737", {"model 47", "serial 1234"}},
            {"Programmed: 1, Failed: 1, Skipped: 1. 1234 R4747 TAG-7: already programmed", {}},
        };
        for (const auto& step : steps) {
            QVERIFY2(shows(step.done), qPrintable(h.status()));
            if (step.next.empty()) break;
            h.sim->control("silence on");
            QVERIFY2(shows("Waiting for the next transducer"), qPrintable(h.status()));
            for (const char* line : step.next) h.sim->control(line);
            h.sim->control("silence off");
        }
        toggle->trigger();
        QVERIFY(!h.window->series() && !toggle->isChecked());

        const auto rows = Newest(h, 10);
        const std::tuple<HistoryOperation, HistoryOutcome, std::string> expected[] = {
            {HistoryOperation::Read, HistoryOutcome::Success, "1234"},
            {HistoryOperation::Write, HistoryOutcome::Failure, "2002"},
            {HistoryOperation::Write, HistoryOutcome::Success, "1234"},
        };
        QCOMPARE(rows.size(), std::size(expected));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            QCOMPARE(std::tuple(rows[i].operation, rows[i].outcome, rows[i].serial), expected[i]);
        }
        QVERIFY2(!Stored(h, rows[1]).image, "nothing was sent to the other model");
        QCOMPARE(rows[2].parFileName, std::string("R4747-1.par"));
        const auto memory = h.sim->memory();
        model::ConfigImage image{};
        std::copy_n(memory.begin(), std::min(memory.size(), image.size()), image.begin());
        model::ConfigRecord inSim;
        model::DecodeImage(image, inSim);
        QCOMPARE(inSim.Informacje.kod, std::string("TAG-7"));
        std::vector<std::string> reports;
        for (const auto& e : std::filesystem::directory_iterator(dir / "reports")) reports.push_back(e.path().filename().string());
        QCOMPARE(reports, std::vector<std::string>{"1234-TAG-7.pdf"});
    }

    void aHistoryThatCannotBeWrittenIsReportedOnceAndTheWorkGoesOn() {
        Harness h(testing::SimOptions{});
        testing::TempDir dir;
        { std::ofstream(dir / "plain") << "x"; }
        // A folder that cannot be made: its parent is a file.
        h.context.settings.HistoryFile = (dir / "plain" / "h.sqlite3").string();
        QVERIFY(h.tickUntilConnected());
        h.messages.clear();
        QVERIFY(h.transfer([&] { h.click("OdczytajT"); }));
        QVERIFY(h.status().startsWith(QStringLiteral("Not recorded in the history")));
        auto* max = h.find<QLineEdit>("MaxInputE");
        max->setText(QStringLiteral("250"));
        QTest::keyClick(max, Qt::Key_Return);
        QVERIFY(h.transfer([&] { h.click("ZapiszT"); }));
        QVERIFY(h.status().startsWith(QStringLiteral("Not recorded in the history")));
        model::ConfigImage memory{};
        const auto bytes = h.sim->memory();
        std::copy_n(bytes.begin(), std::min(bytes.size(), memory.size()), memory.begin());
        QCOMPARE(MaxInputOf(memory), 250.0);
        QCOMPARE(h.messages.boxes.size(), std::size_t(1));
        QVERIFY(h.messages.boxes.front().text.startsWith(QStringLiteral("Not recorded in the history: ")));
    }

    void theFiltersFindTheirRecords_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("rows");
        QTest::newRow("everything") << "" << "" << 0 << 4;
        QTest::newRow("serial, leading zero") << "SerialE" << "0101" << 0 << 2;
        QTest::newRow("tag prefix, any case") << "TagE" << "pump" << 0 << 2;
        QTest::newRow("model") << "ModelE" << "r4720" << 0 << 1;
        QTest::newRow("from a day") << "SinceE" << "03.02.2026" << 0 << 2;
        QTest::newRow("until a day, included") << "UntilE" << "2026-02-02" << 0 << 2;
        QTest::newRow("failed") << "" << "" << 2 << 1;
        QTest::newRow("succeeded") << "" << "" << 1 << 3;
    }
    void theFiltersFindTheirRecords() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, outcome);
        QFETCH(int, rows);
        Harness h(std::nullopt);
        testing::TempDir dir;
        h.context.settings.HistoryFile = (dir / "h.sqlite3").string();
        files::HistoryStore* store = h.window->history().store();
        for (const auto& r : {Made("101", "PUMP-1", "R4747", HistoryOutcome::Success, "01.02.2026", 100),
                              Made("101", "Pump-2", "R4747", HistoryOutcome::Success, "02.02.2026", 200),
                              Made("202", "FAN", "R4720", HistoryOutcome::Failure, "03.02.2026", 100),
                              Made("303", "=cmd", "R4747", HistoryOutcome::Success, "04.02.2026", 100)})
            QVERIFY(store->add(r).ok());
        h.find<QAction>("Historia1")->trigger();
        auto* window = h.window->findChild<mainwindow::HistoryWindow*>("HistoryF");
        QVERIFY(window && window->isVisible());
        if (!field.isEmpty()) window->findChild<QLineEdit*>(field)->setText(text);
        window->findChild<QComboBox*>("OutcomeC")->setCurrentIndex(outcome);
        QTest::mouseClick(window->findChild<QPushButton*>("SearchB"), Qt::LeftButton);
        auto* table = window->findChild<QTableView*>("HistoryTable");
        QCOMPARE(table->model()->rowCount(), rows);
        QCOMPARE(window->findChild<QLabel*>("CountL")->text(), QStringLiteral("Records: %1").arg(rows));
    }

    void theTableFetchesPageByPageAsItScrolls() {
        Harness h(std::nullopt);
        testing::TempDir dir;
        h.context.settings.HistoryFile = (dir / "h.sqlite3").string();
        std::vector<HistoryRecord> many;
        for (int i = 0; i < 450; ++i) many.push_back(Made("7", "T", "R4747", HistoryOutcome::Success, "05.02.2026", i));
        QVERIFY(h.window->history().store()->import(many).ok());
        h.window->Historia1Click();
        auto* window = h.window->findChild<mainwindow::HistoryWindow*>("HistoryF");
        auto& model = window->model();
        QCOMPARE(model.rowCount(), 200);
        QCOMPARE(model.total(), qint64(450));
        for (const int expected : {400, 450}) {
            QVERIFY(model.canFetchMore({}));
            model.fetchMore({});
            QCOMPARE(model.rowCount(), expected);
        }
        QVERIFY(!model.canFetchMore({}));
    }

    void detailsDifferencesOpeningAndExport() {
        Harness h(std::nullopt);
        testing::TempDir dir;
        h.context.settings.HistoryFile = (dir / "h.sqlite3").string();
        for (const auto& r : {Made("101", "PUMP-1", "R4747", HistoryOutcome::Success, "01.02.2026", 100),
                              Made("101", "=cmd", "R4747", HistoryOutcome::Success, "02.02.2026", 250)})
            QVERIFY(h.window->history().store()->add(r).ok());
        h.window->Historia1Click();
        auto* window = h.window->findChild<mainwindow::HistoryWindow*>("HistoryF");
        auto* table = window->findChild<QTableView*>("HistoryTable");
        auto* details = window->findChild<QPlainTextEdit*>("DetailsM");
        table->selectRow(1);
        QVERIFY(details->toPlainText().contains(QStringLiteral("ID Tag: PUMP-1")));
        table->selectAll();
        QTest::mouseClick(window->findChild<QPushButton*>("DiffB"), Qt::LeftButton);
        QVERIFY2(details->toPlainText().contains(QStringLiteral("100")) && details->toPlainText().contains(QStringLiteral("250")),
                 qPrintable(details->toPlainText()));

        // Opened over a file's configuration, it is untitled: Save must not overwrite that file.
        h.files.opened << testing::WritePt100(dir.path(), h.context.settings);
        h.window->Otworz1Click();
        QVERIFY(h.window->parFileName().endsWith(QStringLiteral(".par")));
        table->selectRow(0);
        QTest::mouseClick(window->findChild<QPushButton*>("OpenB"), Qt::LeftButton);
        QCOMPARE(h.context.record.Parametry.MaxInput, 250.0);
        QCOMPARE(h.context.record.Informacje.kod, std::string("=cmd"));
        QCOMPARE(h.window->parFileName(), QStringLiteral("No_name"));

        h.files.saved << QString::fromStdString((dir / "shown.csv").string());
        QTest::mouseClick(window->findChild<QPushButton*>("ExportB"), Qt::LeftButton);
        const auto csv = files::ReadWholeFile(dir / "shown.csv");
        QVERIFY(csv.ok());
        QVERIFY(csv->find(",'=cmd,") != std::string::npos);
        QVERIFY(csv->find(",PUMP-1,") != std::string::npos);
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "history_window_test.moc"
