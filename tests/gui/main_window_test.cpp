// The main window against the real emulator, driven through its toolbar, menus and keys: start-up,
// the polling tick, the model check, the transfers and what the window shows around them, the
// shortcuts it shares with the edits, and the polling pause around every modal dialog.
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "common/lang_table.h"
#include "files/language_file.h"
#include "model/config_image.h"
#include "qtbridge/command_runner.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"
#include "window_harness.h"

using namespace r4860;
using mainwindow::TR4860F;
using testing::Harness;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseEnglishTable(); }

    void startsEmptyWithoutTransducer() {
        Harness h(std::nullopt);
        QCOMPARE(h.window->windowTitle(), QStringLiteral("Unspecified type"));
        QCOMPARE(h.status(), QStringLiteral("No parameters"));
        QCOMPARE(h.panel(2), QStringLiteral("no port"));
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
        h.click("ZachowajT");
        QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("No parameters!")});
        QVERIFY(h.files.proposals.isEmpty());
        // Fixed in size, so nothing to maximise: the window names its decorations.
        QVERIFY((h.window->windowFlags() & (Qt::CustomizeWindowHint | Qt::WindowMaximizeButtonHint)) == Qt::CustomizeWindowHint);
    }

    void firstPollAdoptsTheModelAndReads() {
        Harness h(testing::Model(20));
        QVERIFY(h.sim->ok());
        QVERIFY(h.tickUntilConnected());
        QCOMPARE(h.window->windowTitle(), QStringLiteral("R4720 - No_name"));
        QVERIFY(h.wynik().endsWith(QLatin1Char(' ')));  // padded so the value stays put
        QVERIFY(h.panel(1).startsWith(QStringLiteral("COM99  /dev/")));
        QCOMPARE(h.panel(2), QStringLiteral("answering"));

        QSignalSpy done(h.window.get(), &TR4860F::readFinished);
        h.click("OdczytajT");
        QVERIFY(h.window->transferRunning());
        QVERIFY(h.find<QToolButton>("OdczytajT")->isDown());  // pressed until the outcome is in
        QVERIFY(done.wait(30000));
        QCOMPARE(done.takeFirst().at(0).toBool(), true);
        QVERIFY(!h.find<QToolButton>("OdczytajT")->isDown());
        QVERIFY(h.window->panelState().ParamsShown);
        QVERIFY(h.find<QLineEdit>("MinInputE")->isEnabled());
        QVERIFY(h.window->timer1()->isActive());  // polling goes on after the transfer
        QVERIFY2(h.framesWithCode('s') >= 100 / 4, "the displayed ranges, 4 bytes each");
        QCOMPARE(h.find<QLabel>("SerialE")->text(), QStringLiteral("1234"));

        // Read leaves it untitled: Save asks for a name and the file lands with its extension.
        testing::TempDir dir;
        const QString target = QString::fromStdString((dir.path() / "read").string());
        h.files.saved << target;
        h.find<QAction>("Zachowaj1")->trigger();
        QCOMPARE(h.files.proposals.size(), 1);
        QVERIFY(h.files.proposals[0].endsWith(QStringLiteral("No_name")));
        QVERIFY(QFile::exists(target + QStringLiteral(".par")));
        QVERIFY(h.window->windowTitle().endsWith(QStringLiteral("read.par")));
    }

    void modelMismatchAsksAgainUntilRead() {
        Harness h(testing::Model(20));
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

    // The read Automatic read starts comes first: the model check waits for its outcome, which
    // brings the model of the transducer plugged in.
    void automaticReadGoesBeforeTheModelCheck() {
        Harness h(testing::Model(20));
        h.context.record.Device = "R4747";
        h.find<QAction>("Autoread1")->trigger();
        QSignalSpy reads(h.window.get(), &TR4860F::readFinished);
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.window->transferRunning());
        QVERIFY(reads.wait(30000));
        for (int i = 0; i < 3; ++i) {
            h.sim->waitFrames(1);
            h.window->Timer1Timer();
        }
        QCOMPARE(QString::fromStdString(h.context.record.Device), QStringLiteral("R4720"));
        QCOMPARE(h.messages.texts(), QStringList{});
        QVERIFY(h.messages.beeps.empty());
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
        QCOMPARE(h.panel(2), QStringLiteral("not answering"));
        h.window->Timer1Timer();  // silence for the limit: question marks
        QCOMPARE(h.wynik(), QStringLiteral("???        "));
        QCOMPARE(h.find<QLabel>("Outputp")->text(), QStringLiteral("???        "));
        QVERIFY(!h.find<QToolButton>("OdczytajT")->isEnabled());
        h.sim->startBroadcasting();
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.wynik() != QStringLiteral("???        "));
        QCOMPARE(h.panel(2), QStringLiteral("answering"));
    }

    void writeVerifyAndTheGuardsAroundThem() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        QVERIFY(h.transfer([&] { h.click("OdczytajT"); }));
        auto* max = h.find<QLineEdit>("MaxInputE");
        max->setText(QStringLiteral("250"));
        QTest::keyClick(max, Qt::Key_Return);
        QVERIFY(h.transfer([&] { h.click("ZapiszT"); }));
        QCOMPARE(h.status(), QStringLiteral("Transducer programmed"));
        QCOMPARE(testing::Base(max), QColor(Qt::white));
        model::ConfigRecord inDevice;
        model::ConfigImage memory{};
        const auto bytes = h.sim->memory();
        std::copy_n(bytes.begin(), std::min(bytes.size(), memory.size()), memory.begin());
        model::DecodeImage(memory, inDevice);
        QCOMPARE(inDevice.Parametry.MaxInput, 250.0);
        // Checksums the transducer accepts: it reports no EEPROM error afterwards.
        h.context.state.Connected = false;
        QVERIFY(h.tickUntilConnected());
        QVERIFY(!h.window->transducer().status().EepromError);

        // While the read-back runs, every other command is refused with a beep.
        h.messages.clear();
        QSignalSpy done(h.window.get(), &TR4860F::transferFinished);
        h.find<QAction>("Weryfikuj1")->trigger();
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
        h.files.opened << testing::WritePt100(dir.path(), h.context.settings, "R4720");
        h.window->Otworz1Click();
        h.window->ZapiszTClick();
        QCOMPARE(h.messages.texts().last(), QStringLiteral("Type of transducer inconsistency!"));
        QCOMPARE(h.framesWithCode('D'), 0);

        // A user sensor whose table is nowhere: only the ID tag goes, after this transducer's
        // own memory was read for the byte the tag's block carries along.
        const auto before = h.sim->memory();
        h.files.opened << testing::WritePt100(dir.path(), h.context.settings, "R4747", 15);
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

    // A read that breaks off half way: its box comes beside the status text from before, not
    // beside the last percentage.
    void aFailedReadPutsBackTheStatusBeforeItsBox() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        QString besideTheBox;
        bool progressShown = true;
        h.messages.onBox = [&] {
            besideTheBox = h.status();
            progressShown = h.find<QProgressBar>("ProgressBar1")->isVisible();
        };
        QSignalSpy done(h.window.get(), &TR4860F::transferFinished);
        h.click("OdczytajT");
        QVERIFY(QTest::qWaitFor([&] { return h.status().endsWith(QStringLiteral("%")) && h.status().size() > 18; }, 20000));
        QCOMPARE(h.sim->control("silence on"), std::string("ok"));
        QVERIFY(done.wait(30000));
        QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("Transmission unsuccessful!")});
        QCOMPARE(besideTheBox, QStringLiteral("No parameters"));
        QVERIFY(!progressShown);
        QCOMPARE(h.status(), QStringLiteral("No parameters"));
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

    // A transfer that cannot start (a command sequence holds the line) ends at once: the busy
    // beep, the button up again, nothing left running to refuse the next command.
    void aTransferThatCannotStartEndsAtOnce() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        qtbridge::CommandRunner commands(h.window->transducer(), h.messages);
        const auto holdTheLine = [](workflow::CommandLine& line) { return line.pause(std::chrono::seconds(30)); };
        QVERIFY(commands.start<bool>(holdTheLine, {}));
        h.messages.clear();
        QSignalSpy done(h.window.get(), &TR4860F::transferFinished);
        h.click("OdczytajT");
        QCOMPARE(done.count(), 1);
        QVERIFY(!h.window->transferRunning());
        QVERIFY(!h.find<QToolButton>("OdczytajT")->isDown());
        QCOMPARE(h.messages.beeps, std::vector<Beep>{Beep::Asterisk});
        QVERIFY(h.messages.boxes.empty());
        commands.cancel();
        QVERIFY(QTest::qWaitFor([&] { return !commands.running(); }, 10000));
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

    // Ctrl+C and Ctrl+Z: the edit's own while they do something there, the window's otherwise.
    void shortcutsTakeTheEditOrTheCommand_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");   // the value was taken before the key
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("command"); // the window's command ran
        QTest::newRow("Ctrl+C copies what is selected") << "KodE" << "" << false << int(Qt::Key_C) << false;
        QTest::newRow("Ctrl+C with nothing selected is Sensors") << "MinInputE" << "" << true << int(Qt::Key_C) << true;
        QTest::newRow("Ctrl+Z undoes typing not yet taken") << "MinInputE" << "5" << false << int(Qt::Key_Z) << false;
        QTest::newRow("Ctrl+Z after the value was taken writes") << "MinInputE" << "5" << true << int(Qt::Key_Z) << true;
    }
    void shortcutsTakeTheEditOrTheCommand() {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(int, key);
        QFETCH(bool, command);
        Harness h(testing::SimOptions{});
        int typeDialogs = 0;
        mainwindow::DialogHooks hooks;
        hooks.chooseType = [&](QWidget*, std::string&) { return ++typeDialogs, false; };
        h.window->setDialogHooks(hooks);
        QVERIFY(h.tickUntilConnected());
        testing::TempDir dir;
        h.files.opened << testing::WritePt100(dir.path(), h.context.settings);
        h.window->Otworz1Click();
        if (key == Qt::Key_C) h.context.record.Device.clear();  // so that Sensors opens its first dialog
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        auto* e = h.find<QLineEdit>(qPrintable(edit));
        e->setFocus();
        const QString before = e->text();
        if (typed.isEmpty() && !enter) e->selectAll();
        QTest::keyClicks(e, typed);
        if (enter) QTest::keyClick(e, Qt::Key_Return);
        QTest::keyClick(e, static_cast<Qt::Key>(key), Qt::ControlModifier);
        const bool ran = key == Qt::Key_C ? typeDialogs > 0 : h.window->transferRunning();
        QCOMPARE(ran, command);
        if (key == Qt::Key_Z && !command) QCOMPARE(e->text(), before);
    }

    // No tick may run while a modal dialog or a box is up, the password prompt included.
    void everyModalDialogPausesPolling() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        QStringList ticking;
        QString dialog;
        const auto seen = [&] {
            if (h.window->timer1()->isActive()) ticking << dialog;
        };
        mainwindow::DialogHooks hooks;
        hooks.chooseType = [&](QWidget*, std::string&) { return seen(), false; };
        hooks.options = [&](QWidget*) { return seen(), false; };
        hooks.portDialog = [&](QWidget*) { seen(); };
        hooks.password = [&](QWidget*) { return seen(), workflow::PasswordKind::Refused; };
        hooks.version = [&](QWidget*) { seen(); };
        hooks.info = [&](QWidget*) { seen(); };
        h.window->setDialogHooks(hooks);
        h.messages.onBox = seen;
        for (const char* action : {"Czujniki1", "Ogolne1", "Komunikacja1", "Regulacja1", "Wersja1", "Info1",
                                   "Otworz1", "Zachowaj1", "PrintSetup1"}) {
            dialog = QLatin1String(action);
            h.window->timer1()->start();
            if (dialog == QLatin1String("PrintSetup1")) {
                // The print setup dialog is the desktop's own: look at it while it is up.
                QTimer::singleShot(0, h.window.get(), [&] {
                    seen();
                    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
                });
            }
            h.find<QAction>(action)->trigger();
            QVERIFY2(h.window->timer1()->isActive(), action);  // and back afterwards
        }
        QCOMPARE(ticking, QStringList{});
        QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("No parameters!")});
    }

    void helpWithoutABrowserSaysWhereTheManualIs() {
        Harness h(std::nullopt);
        QStringList opened;
        bool browser = true;
        mainwindow::DialogHooks hooks;
        hooks.openManual = [&](const QString& file) { return opened << file, browser; };
        h.window->setDialogHooks(hooks);
        h.find<QAction>("Danetech1")->trigger();
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0].endsWith(QStringLiteral("R4860EN.html")));
        QVERIFY(h.messages.boxes.empty());
        browser = false;
        h.find<QAction>("Danetech1")->trigger();
        QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("No browser could show the manual; it is here:\n") + opened[0]});
    }

    // A message box has nothing to minimise or maximise, and room for its caption and title buttons.
    void messageBoxesAreDialogs() {
        Qt::WindowFlags flags;
        int room = 0;  // beyond the caption's width
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            flags = box->windowFlags();
            room = box->width() - box->fontMetrics().horizontalAdvance(box->windowTitle());
            box->close();
        });
        qtbridge::QtMessageService().show(nullptr, QStringLiteral("Ok"), MessageIcon::None);
        QCOMPARE(flags & (Qt::CustomizeWindowHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
                 Qt::CustomizeWindowHint);
        QVERIFY2(room > 60, qPrintable(QString::number(room)));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
