// The main window against the real emulator: start-up, the polling tick, the model check, the
// panel's validation and the file commands, with effects checked in the record, the files on
// disk and the emulator's frame log.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/language_file.h"
#include "files/par_file.h"
#include "charts/xy_chart.h"
#include "mainwindow/main_window.h"
#include "model/config_image.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"
#include "support/temp_dir.h"

using namespace r4860;
using mainwindow::TR4860F;
using testing::RecordingMessages;

namespace {

class ScriptedFiles final : public mainwindow::FileChooser {
public:
    QString openFile(QWidget*, const QString&, const QString&) override { return take(opened); }
    QString saveFile(QWidget*, const QString& proposed, const QString&) override {
        proposals << proposed;
        return take(saved);
    }
    QStringList opened, saved, proposals;

private:
    static QString take(QStringList& list) { return list.isEmpty() ? QString() : list.takeFirst(); }
};

// One window over a fresh context, with the emulator on COM99 when a transducer is wanted.
struct Harness {
    explicit Harness(std::optional<testing::SimOptions> sim) {
        if (sim) {
            this->sim = std::make_unique<testing::SimOnPty>(*sim);
            files::OverrideSettingsDir(this->sim->dir());
            context.settings.ComPort = 99;
        }
        window = std::make_unique<TR4860F>(context, messages, files);
        window->init([this] {
            return this->sim && context.link.start(99, protocol::kDefaultBaudIndex, files::PortsDir()).ok();
        });
        // The tests tick by hand, so that every tick has a known cause.
        window->timer1()->stop();
    }
    ~Harness() {
        window.reset();
        context.link.stop();
    }
    template <class W>
    W* find(const char* name) const { return window->findChild<W*>(QLatin1String(name)); }
    // Ticks until a sample shows (each tick after a new frame), at most `ticks` times.
    bool tickUntilConnected(int ticks = 40) {
        for (int i = 0; i < ticks && !context.state.Connected; ++i) {
            if (sim) sim->waitFrames(1);
            window->Timer1Timer();
        }
        return context.state.Connected;
    }
    QString wynik() const { return find<QLabel>("Wynikp")->text(); }
    QString status() const { return find<QLabel>("StatusPanel0")->text().trimmed(); }
    // Runs a command that starts a transfer and waits for its outcome.
    bool transfer(const std::function<void()>& command, int transfers = 1) {
        QSignalSpy done(window.get(), &TR4860F::transferFinished);
        command();
        while (done.count() < transfers) {
            if (!done.wait(30000)) return false;
        }
        return done.last().at(0).toBool();
    }
    int framesWithCode(char code) const {
        int n = 0;
        for (const auto& f : sim->receivedFrames()) n += f.code() == static_cast<std::uint8_t>(code);
        return n;
    }

    std::unique_ptr<testing::SimOnPty> sim;
    workflow::AppContext context;
    RecordingMessages messages;
    ScriptedFiles files;
    std::unique_ptr<TR4860F> window;
};

// A Pt100 configuration on disk, as an operator would have saved it; `typ` 15 is the user sensor.
QString WritePt100(const std::filesystem::path& dir, files::Settings& settings, const std::string& device = "R4747",
                   std::uint8_t typ = 1) {
    model::ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Czujnik = {typ, 2, 0, 1};
    rec.File = "missing.dat";
    rec.Informacje.kod = "TAG-7";
    rec.Parametry.MinInput = 0.0;
    rec.Parametry.MaxInput = 100.0;
    rec.Parametry.FiltrZakres = 123;
    rec.Parametry.FiltrLimit = 5;
    rec.Parametry.Jednostki = 8;
    rec.Device = device;
    const auto path = dir / (device + "-" + std::to_string(typ) + ".par");
    if (!files::WriteParFile(rec, path, settings).ok()) return {};
    return QString::fromStdString(path.string());
}

testing::SimOptions Model(int code) {
    testing::SimOptions options;
    options.modelCode = code;
    return options;
}

QColor Base(const QWidget* w) { return w->palette().color(QPalette::Base); }

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseEnglishTable(); }

    void startsEmptyWithoutTransducer() {
        Harness h(std::nullopt);
        QCOMPARE(h.window->windowTitle(), QStringLiteral("Unspecified type"));
        QCOMPARE(h.find<QLabel>("StatusPanel0")->text(), QStringLiteral(" No parameters"));
        for (const char* name : {"OdczytajT", "Wykres1T", "ZapiszT", "RegulacjaT"}) {
            QVERIFY2(!h.find<QToolButton>(name)->isEnabled(), name);
        }
        for (const char* name : {"Regulacja1", "Ustawienia1", "Reset1", "Blokada1"}) {
            QVERIFY2(!h.find<QAction>(name)->isEnabled(), name);
        }
        for (const char* name : {"MinInputE", "MaxInputE", "FiltrZakresE", "KodE"}) {
            QVERIFY2(!h.find<QLineEdit>(name)->isEnabled(), name);
        }
        // Save with nothing shown refuses before any file dialog.
        h.window->Zachowaj1Click();
        QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("No parameters!")});
        QVERIFY(h.files.proposals.isEmpty());
    }

    void firstPollAdoptsTheModelAndReads() {
        Harness h(Model(20));
        QVERIFY(h.sim->ok());
        QVERIFY(h.tickUntilConnected());
        QCOMPARE(h.window->windowTitle(), QStringLiteral("R4720 - No_name"));
        QVERIFY(h.wynik().endsWith(QLatin1Char(' ')));  // padded so the value stays put
        QVERIFY(h.find<QToolButton>("OdczytajT")->isEnabled());

        QSignalSpy done(h.window.get(), &TR4860F::readFinished);
        h.window->OdczytajTClick();
        QVERIFY(h.window->transferRunning());
        QVERIFY(done.wait(30000));
        QCOMPARE(done.takeFirst().at(0).toBool(), true);
        QVERIFY(h.window->panelState().ParamsShown);
        QVERIFY(h.find<QLineEdit>("MinInputE")->isEnabled());
        QVERIFY(h.window->timer1()->isActive());  // polling goes on after the transfer
        int reads = 0;
        for (const auto& f : h.sim->receivedFrames()) reads += f.code() == 's';
        QVERIFY2(reads >= 100 / 4, qPrintable(QString::number(reads)));  // the displayed ranges, 4 bytes each
        QCOMPARE(h.find<QLabel>("SerialE")->text(), QStringLiteral("1234"));

        // Read leaves it untitled: Save asks for a name and the file lands with its extension.
        testing::TempDir dir;
        const QString target = QString::fromStdString((dir.path() / "read").string());
        h.files.saved << target;
        h.window->Zachowaj1Click();
        QCOMPARE(h.files.proposals.size(), 1);
        QVERIFY(h.files.proposals[0].endsWith(QStringLiteral("No_name")));
        QVERIFY(QFile::exists(target + QStringLiteral(".par")));
        QVERIFY(h.window->windowTitle().endsWith(QStringLiteral("read.par")));
    }

    void modelMismatchAsksAgainUntilRead() {
        Harness h(Model(20));
        h.context.record.Device = "R4747";
        h.messages.answers = {qtbridge::Answer::Cancel, qtbridge::Answer::Cancel};
        QVERIFY(h.tickUntilConnected());
        QCOMPARE(h.messages.boxes.size(), 1u);
        QVERIFY(h.messages.boxes[0].text.startsWith(QStringLiteral("Type of transducer inconsistency! New data")));
        QCOMPARE(h.messages.boxes[0].buttons, qtbridge::Buttons::OkCancel);
        h.sim->waitFrames(1);
        h.window->Timer1Timer();
        QCOMPARE(h.messages.boxes.size(), 2u);
        QCOMPARE(QString::fromStdString(h.context.record.Device), QStringLiteral("R4747"));
    }

    void lossOfContactBlanksThenQuestionMarks() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        QVERIFY(!h.wynik().isEmpty());
        QCOMPARE(h.sim->control("silence on"), std::string("ok"));
        QTest::qWait(300);        // a margin for a frame that was already on the line
        h.window->Timer1Timer();  // which this tick may still take
        for (int miss = h.context.state.PollFailCount; miss < 12; ++miss) {
            h.window->Timer1Timer();
            QVERIFY(!h.context.state.Connected);
            QVERIFY(h.wynik().isEmpty());
        }
        h.window->Timer1Timer();  // silence for the limit: question marks
        QCOMPARE(h.wynik(), QStringLiteral("???        "));
        QCOMPARE(h.find<QLabel>("Outputp")->text(), QStringLiteral("???        "));
        QVERIFY(!h.find<QToolButton>("OdczytajT")->isEnabled());
        h.sim->startBroadcasting();
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.wynik() != QStringLiteral("???        "));
    }

    void openColoursByConnectionAndKeepsPolling() {
        for (const bool connected : {false, true}) {
            Harness h(connected ? std::optional(testing::SimOptions{}) : std::nullopt);
            testing::TempDir dir;
            if (connected) QVERIFY(h.tickUntilConnected());
            h.files.opened << WritePt100(dir.path(), h.context.settings);
            h.window->timer1()->start();
            h.window->Otworz1Click();
            QVERIFY(h.window->timer1()->isActive());
            QVERIFY(h.window->panelState().ParamsShown);
            const QColor expected = connected ? QColor(0, 255, 255) : QColor(Qt::white);
            QCOMPARE(Base(h.find<QLineEdit>("MinInputE")), expected);
            QCOMPARE(Base(h.find<QLineEdit>("KodE")), expected);
            QCOMPARE(h.find<QLineEdit>("FiltrZakresE")->text(), QStringLiteral("12.3"));
            // A file that went away: the message, the empty panel, and the timer runs again.
            h.files.opened << QString::fromStdString((dir.path() / "gone.par").string());
            h.messages.clear();
            h.window->Otworz1Click();
            QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("Corrupted or wrong data file!")});
            QVERIFY(!h.window->panelState().ParamsShown);
            QVERIFY(h.window->timer1()->isActive());
        }
    }

    void writeVerifyAndTheGuardsAroundThem() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.transfer([&] { h.window->OdczytajTClick(); }));
        auto* max = h.find<QLineEdit>("MaxInputE");
        max->setText(QStringLiteral("250"));
        QTest::keyClick(max, Qt::Key_Return);
        QVERIFY(h.transfer([&] { h.window->ZapiszTClick(); }));
        QCOMPARE(h.status(), QStringLiteral("Transducer programmed"));
        QCOMPARE(Base(max), QColor(Qt::white));
        model::ConfigRecord inDevice;
        model::ConfigImage memory{};
        const auto bytes = h.sim->memory();
        std::copy_n(bytes.begin(), std::min(bytes.size(), memory.size()), memory.begin());
        model::DecodeImage(memory, inDevice);
        QCOMPARE(inDevice.Parametry.MaxInput, 250.0);
        // Checksums the transducer accepts: it reports no EEPROM error afterwards.
        h.context.state.Connected = false;
        QVERIFY(h.tickUntilConnected());
        QVERIFY(!h.context.link.status.EepromError);

        // While the read-back runs, every other command is refused with a beep.
        h.messages.clear();
        QSignalSpy done(h.window.get(), &TR4860F::transferFinished);
        h.window->Weryfikuj1Click();
        QVERIFY(h.window->transferRunning());
        const int reads = h.framesWithCode('s');
        h.window->OdczytajTClick();
        h.window->ZapiszTClick();
        h.files.opened << QStringLiteral("/nonexistent.par");
        h.window->Otworz1Click();
        QCOMPARE(h.files.opened.size(), 1);  // no file dialog
        QCOMPARE(std::count(h.messages.beeps.begin(), h.messages.beeps.end(), Beep::Asterisk), 3);
        QVERIFY(done.wait(30000));
        QCOMPARE(h.status(), QStringLiteral("Verification successful"));
        QVERIFY(h.framesWithCode('s') - reads < 40);  // one read-back, not two

        // A byte changed behind the tool's back: named, and the image keeps what was written.
        const auto written = model::TakeSnapshot(h.context.image);
        QCOMPARE(h.sim->control("poke 0x44 41"), std::string("ok"));
        h.messages.clear();
        QVERIFY(!h.transfer([&] { h.window->Weryfikuj1Click(); }));
        QCOMPARE(h.messages.boxes.size(), 1u);
        QVERIFY(h.messages.boxes[0].text.startsWith(QStringLiteral("Errors have been found!\n\n")));
        QVERIFY(h.messages.boxes[0].text.count(QLatin1Char('\n')) >= 2);  // the item below the headline
        QCOMPARE(h.status(), QStringLiteral("Verification ended with errors"));
        QVERIFY(model::TakeSnapshot(h.context.image) == written);
    }

    void writeRefusesAnotherModelAndWritesTheTagAloneWithoutUserData() {
        Harness h(testing::SimOptions{});
        testing::TempDir dir;
        QVERIFY(h.tickUntilConnected());
        h.files.opened << WritePt100(dir.path(), h.context.settings, "R4720");
        h.window->Otworz1Click();
        h.window->ZapiszTClick();
        QCOMPARE(h.messages.texts().last(), QStringLiteral("Type of transducer inconsistency!"));
        QCOMPARE(h.framesWithCode('D'), 0);

        // A user sensor whose table is nowhere: only the ID tag goes, after this transducer's
        // own memory was read for the byte the tag's block carries along.
        const auto before = h.sim->memory();
        h.files.opened << WritePt100(dir.path(), h.context.settings, "R4747", 15);
        h.window->Otworz1Click();
        h.messages.clear();
        QVERIFY(h.transfer([&] { h.window->ZapiszTClick(); }, 2));
        QCOMPARE(h.status(), QStringLiteral("Information transferred"));
        const auto after = h.sim->memory();
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(after.data()) + 108, 5), QByteArray("TAG-7"));
        QCOMPARE(after[123], before[123]);
        for (const auto& f : h.sim->receivedFrames()) {
            if (f.code() != 'D') continue;
            QVERIFY(f.data.size() > 3);
            const int address = f.data[2] * 256 + f.data[3];
            QVERIFY2(address >= 0x6C && address <= 0x78, qPrintable(QString::number(address, 16)));
        }
    }

    void automaticReadFollowsThePlug() {
        Harness h(testing::SimOptions{});
        QSignalSpy reads(h.window.get(), &TR4860F::readFinished);
        h.find<QAction>("Autoread1")->trigger();
        QVERIFY(h.tickUntilConnected());
        QVERIFY(reads.wait(30000));
        QVERIFY(h.context.state.ConfigRead);
        QVERIFY(h.sim->control("unplug").starts_with("ok"));
        QVERIFY(QTest::qWaitFor([&] { h.window->Timer1Timer(); return !h.context.state.ConfigRead; }, 20000));
        QVERIFY(h.sim->control("replug").starts_with("ok"));
        QVERIFY(QTest::qWaitFor([&] { h.window->Timer1Timer(); return reads.count() == 2; }, 30000));
        QVERIFY(h.context.state.ConfigRead);
    }

    void diagramPlotsColoursAndLogs() {
        Harness h(testing::SimOptions{});
        testing::TempDir dir;
        QVERIFY(h.tickUntilConnected());
        h.window->Wykres1Click();
        QVERIFY(h.window->diagramShown());
        QCOMPARE(h.window->timer1()->interval(), 200);
        auto* chart = h.find<charts::TXYChart>("XYChart1");
        // Both clocks made by hand: the chart's interval (1 s) and the elapsed time of the log.
        std::chrono::steady_clock::time_point now{};
        std::int64_t ms = 0;
        chart->setClock([&] { return now; });
        h.window->setDiagramClock([&] { return ms; });
        const QString log = QString::fromStdString((dir.path() / "run").string());
        h.files.saved << log;
        h.window->Zapiszjako1Click();
        QVERIFY(h.window->logSaving());
        const auto tickAt = [&](int atMs, const char* pulse) {
            if (pulse) h.sim->control(std::string("pulse ") + pulse);
            h.sim->waitFrames(2);
            now = std::chrono::steady_clock::time_point{} + std::chrono::milliseconds(atMs);
            ms = atMs;
            h.window->Timer1Timer();
        };
        tickAt(1000, nullptr);
        tickAt(2000, nullptr);
        // Yellow, aqua, red, the interval elapsing at the red one: one point, aqua.
        tickAt(2400, "new-average");
        tickAt(2800, "large-error");
        QCOMPARE(chart->count(), 2);
        tickAt(3000, nullptr);
        QCOMPARE(chart->count(), 3);
        QCOMPARE(QColor::fromRgba(chart->lastPoint().rgb), QColor(0, 255, 255));
        QCOMPARE(h.find<QLabel>("WykresTimeT")->text(), QStringLiteral("00:00:03"));

        QFile file(log + QStringLiteral(".txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 4 + 3 + 1);  // the header, a row per plotted point, each ended
        QVERIFY(lines[4].startsWith(QStringLiteral("+1.00\t")));
        QVERIFY(lines[6].startsWith(QStringLiteral("+3.00\t")));
        QCOMPARE(lines[6].count(QLatin1Char('\t')), 2);

        // The log deleted under the tool: saving stops with the message.
        QVERIFY(QFile::remove(log + QStringLiteral(".txt")));
        tickAt(4000, nullptr);
        QVERIFY(!h.window->logSaving());
        QCOMPARE(h.messages.texts().last(), QStringLiteral("Cannot open file:\n") + log + QStringLiteral(".txt"));

        // Filter limits on a 0..100 range with no filter band and a 10 % threshold: two red lines.
        h.context.state.ConfigRead = true;
        h.context.record.Parametry.MinInput = 0;
        h.context.record.Parametry.MaxInput = 100;
        h.context.record.Parametry.FiltrZakres = 0;
        h.context.record.Parametry.FiltrLimit = 10;
        h.find<QCheckBox>("ShowFilterCB")->click();
        const double last = chart->lastPoint().value;
        std::vector<std::pair<double, QColor>> lines2;
        double value = -1e300;
        QColor colour;
        for (int line = 0; line < 10; ++line) {
            const bool finished = chart->OnNeedLinesY(line, value, colour);
            if (value != -1e300) lines2.emplace_back(value, colour);
            if (finished) break;
        }
        QCOMPARE(lines2.size(), 2u);
        QCOMPARE(lines2[0].first, last + 10);
        QCOMPARE(lines2[1].first, last - 10);
        QCOMPARE(lines2[1].second, QColor(255, 0, 0));
        h.window->Wykres1Click();
        QVERIFY(!h.window->diagramShown());
        QCOMPARE(h.window->timer1()->interval(), 500);
    }

    void monitorOnlyShrinksAndComesBack() {
        Harness h(std::nullopt);
        const int height = h.window->height();
        auto* monOnly = h.find<QAction>("MonOnly1");
        monOnly->trigger();
        QVERIFY(h.window->height() < height / 2);
        QVERIFY(!h.find<QWidget>("SenTypeG")->isVisible());
        QVERIFY(h.find<QWidget>("StatusBar1")->isHidden());
        QVERIFY(!h.find<QAction>("Autoread1")->isEnabled());
        monOnly->trigger();
        QCOMPARE(h.window->height(), height);
        QVERIFY(!h.find<QWidget>("StatusBar1")->isHidden());
        QVERIFY(!h.find<QWidget>("ToolBar1")->isHidden());
    }

    void closingDuringATransferEndsIt() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        QSignalSpy done(h.window.get(), &TR4860F::transferFinished);
        h.window->OdczytajTClick();
        QVERIFY(h.window->transferRunning());
        h.window->close();
        QVERIFY(done.wait(15000));
        QCOMPARE(done.takeFirst().at(0).toBool(), false);  // broken off, not completed
        QVERIFY(!h.window->panelState().ParamsShown);
    }

    void languageChangeRenamesUntitled() {
        Harness h(std::nullopt);
        QCOMPARE(h.window->parFileName(), QStringLiteral("No_name"));
        std::string language = "Polski";
        QVERIFY(files::LoadLanguage(language, files::DataSearchDirs()));
        h.window->languageChanged(true);
        QCOMPARE(h.window->parFileName(), QString::fromStdString(LangText("No_name")));
        QVERIFY(h.window->parFileName() != QStringLiteral("No_name"));
        QCOMPARE(h.find<QPushButton>("SenSel")->text(), QString::fromStdString(LangText("Select")));
    }

    void editsValidate_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("limit");  // the threshold afterwards, when the row changes it
        QTest::newRow("min format") << "MinInputE" << "1x" << "0.00" << "Wrong format!" << "";
        QTest::newRow("min bound") << "MinInputE" << "-100.01" << "0.00" << "Minimum out of range!" << "";
        QTest::newRow("max bound") << "MaxInputE" << "850.01" << "100.00" << "Maximum out of range!" << "";
        QTest::newRow("span") << "MaxInputE" << "1" << "100.00" << "Input range too small!" << "";
        QTest::newRow("range in") << "FiltrZakresE" << "25.04" << "25.0" << "" << "50";
        QTest::newRow("range out") << "FiltrZakresE" << "25.06" << "12.3" << "Out of range!" << "25";
        QTest::newRow("time step") << "FiltrCzasE" << "2.0" << "1.9" << "" << "";
        QTest::newRow("limit raised") << "FiltrLimitE" << "10" << "25" << "" << "";
        QTest::newRow("limit out") << "FiltrLimitE" << "101" << "5" << "Out of range!" << "";
    }
    void editsValidate() {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        QFETCH(QString, limit);
        Harness h(std::nullopt);
        testing::TempDir dir;
        h.files.opened << WritePt100(dir.path(), h.context.settings);
        h.window->Otworz1Click();
        h.messages.clear();
        auto* e = h.find<QLineEdit>(qPrintable(edit));
        e->setText(typed);
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(e->text(), shown);
        QCOMPARE(h.messages.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        if (!message.isEmpty()) QCOMPARE(h.messages.beeps.front(), Beep::Exclamation);
        if (!limit.isEmpty()) QCOMPARE(h.find<QLineEdit>("FiltrLimitE")->text(), limit);
        // What the edit shows is what the record holds: save and read the file back.
        model::ConfigRecord back;
        const auto path = dir.path() / "back.par";
        QVERIFY(files::WriteParFile(h.context.record, path, h.context.settings).ok());
        QVERIFY(files::ReadParFile(back, path, h.context.settings).ok());
        const auto& p = back.Parametry;
        const double value = edit == "MinInputE" ? p.MinInput : edit == "MaxInputE" ? p.MaxInput
                           : edit == "FiltrZakresE" ? p.FiltrZakres * 0.1 : edit == "FiltrCzasE" ? p.FiltrCzas * 0.1
                           : p.FiltrLimit;
        QCOMPARE(QString::number(value, 'f', 2).toDouble(), shown.toDouble());
    }

    void windowsFindTheirScreen_data() {
        QTest::addColumn<QPoint>("stored");
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("on the monitor left of the primary") << QPoint(-1000, 100) << QPoint(-1000, 100);
        QTest::newRow("half off the right edge") << QPoint(1880, 100) << QPoint(1880, 100);
        QTest::newRow("off every screen") << QPoint(5000, 100) << QPoint(-1920, 0);
        QTest::newRow("title bar above the top") << QPoint(100, -30) << QPoint(-1920, 0);
    }
    void windowsFindTheirScreen() {
        QFETCH(QPoint, stored);
        QFETCH(QPoint, placed);
        const std::vector<QRect> screens{{-1920, 0, 1920, 1080}, {0, 0, 1920, 1080}};
        QCOMPARE(qtbridge::OnSomeScreen(stored, QSize(481, 410), screens), placed);
    }

    void translationsAreNeverFormats() {
        // A language file may carry any '%' it likes: only the first "%d" takes the number.
        QCOMPARE(qtbridge::WithNumber(QStringLiteral("COM%d %s%n failed%d"), 150),
                 QStringLiteral("COM150 %s%n failed%d"));
        QCOMPARE(qtbridge::WithNumber(QStringLiteral("no number"), 7), QStringLiteral("no number"));
    }

    void shortcutsLeaveEditsTheirKeys() {
        Harness h(std::nullopt);
        int typeDialogs = 0;
        mainwindow::DialogHooks hooks;
        hooks.chooseType = [&](QWidget*, std::string&) { return ++typeDialogs, false; };
        h.window->setDialogHooks(hooks);
        testing::TempDir dir;
        h.files.opened << WritePt100(dir.path(), h.context.settings);
        h.window->Otworz1Click();
        h.window->show();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        auto* kod = h.find<QLineEdit>("KodE");
        kod->setFocus();
        kod->selectAll();
        QTest::keyClick(kod, Qt::Key_C, Qt::ControlModifier);  // copy, not Sensors
        QCOMPARE(typeDialogs, 0);
        h.find<QPushButton>("SenSel")->setFocus();
        QTest::keyClick(h.find<QPushButton>("SenSel"), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(typeDialogs, 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
