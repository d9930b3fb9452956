// The configuration panel inside the main window: each edit's validation as the operator types,
// the colours of what is changed, the empty state, Lock Iout, and completing missing user data
// with its question and messages. Effects are checked in the record and in the files it saves.
#include <QComboBox>
#include <QLineEdit>
#include <fstream>

#include "common/lang_table.h"
#include "window_harness.h"

using namespace r4860;
using testing::Harness;

namespace {

QString WriteConfiguration(const std::filesystem::path& dir, files::Settings& settings, model::ConfigRecord rec,
                           const char* name) {
    const auto path = dir / name;
    if (!files::WriteParFile(rec, path, settings).ok()) return {};
    return QString::fromStdString(path.string());
}

}  // namespace

class ConfigPanelTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseEnglishTable(); }

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
        h.files.opened << testing::WritePt100(dir.path(), h.context.settings);
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

    void openColoursByConnectionAndKeepsPolling() {
        for (const bool connected : {false, true}) {
            Harness h(connected ? std::optional(testing::SimOptions{}) : std::nullopt);
            testing::TempDir dir;
            if (connected) QVERIFY(h.tickUntilConnected());
            h.files.opened << testing::WritePt100(dir.path(), h.context.settings);
            h.window->timer1()->start();
            h.window->Otworz1Click();
            QVERIFY(h.window->timer1()->isActive());
            QVERIFY(h.window->panelState().ParamsShown);
            const QColor expected = connected ? QColor(0, 255, 255) : QColor(Qt::white);
            QCOMPARE(testing::Base(h.find<QLineEdit>("MinInputE")), expected);
            QCOMPARE(testing::Base(h.find<QLineEdit>("KodE")), expected);
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

    // The empty configuration looks as it does at start, however it came: no choice in the
    // combo boxes, the disabled edits in the button face, and the nominal resistance kept.
    void theEmptyStateIsTheSameEveryWay_data() {
        QTest::addColumn<bool>("failedOpen");
        QTest::newRow("New") << false;
        QTest::newRow("a failed Open") << true;
    }
    void theEmptyStateIsTheSameEveryWay() {
        QFETCH(bool, failedOpen);
        Harness h(std::nullopt);
        auto* min = h.find<QLineEdit>("MinInputE");
        const QColor atStart = testing::Base(min);
        testing::TempDir dir;
        h.files.opened << testing::WritePt100(dir.path(), h.context.settings);
        h.window->Otworz1Click();
        h.context.record.Czujnik.Gain = 3;
        if (failedOpen) {
            h.files.opened << QString::fromStdString((dir.path() / "gone.par").string());
            h.window->Otworz1Click();
        } else {
            h.find<QAction>("Nowy1")->trigger();
        }
        QVERIFY(!min->isEnabled());
        QCOMPARE(testing::Base(min), atStart);
        QVERIFY(atStart != QColor(Qt::white));
        for (const char* name : {"BurnoutE", "SiecE"}) QCOMPARE(h.find<QComboBox>(name)->currentIndex(), -1);
        QCOMPARE(h.context.record.Czujnik.Gain, 3);
    }

    // Unlocked, the output reacts below 4 mA again, and the panel says so before the next Write.
    void lockIoutUnlockedShowsTheReactionWriteSends() {
        Harness h(std::nullopt);
        testing::TempDir dir;
        h.files.opened << testing::WritePt100(dir.path(), h.context.settings);
        h.window->Otworz1Click();
        auto* burnout = h.find<QComboBox>("BurnoutE");
        burnout->setCurrentIndex(1);
        emit burnout->activated(1);
        auto* lock = h.find<QAction>("Blokada1");
        lock->trigger();
        QVERIFY(lock->isChecked());
        QCOMPARE(h.context.record.Parametry.Burnout, 2);
        QVERIFY(!burnout->isVisibleTo(h.window.get()));
        lock->trigger();
        QVERIFY(!lock->isChecked());
        QCOMPARE(h.context.record.Parametry.Burnout, 0);
        QVERIFY(burnout->isVisibleTo(h.window.get()) && burnout->isEnabled());
        QCOMPARE(burnout->currentIndex(), 0);
        QCOMPARE(testing::Base(burnout), QColor(0, 255, 255));
    }

    // Completing missing user data: every message is beeped and says something in its words.
    void userDataMessagesAreBeepedAndTranslated_data() {
        QTest::addColumn<int>("typ");
        QTest::addColumn<int>("lin");
        QTest::addColumn<QString>("table");  // written beside the parameter file when not empty
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("a power series that turns") << 16 << 8 << "" << QStringList{"Transfer function is not monotonic"};
        QTest::newRow("a table too narrow") << 15 << 1 << "0 1\n100 1.5\n"
                                            << QStringList{"User defined sensor or conversion!\nNo data available.\n"
                                                           "Read source file small.dat?",
                                                           "Input range too small!"};
    }
    void userDataMessagesAreBeepedAndTranslated() {
        QFETCH(int, typ);
        QFETCH(int, lin);
        QFETCH(QString, table);
        QFETCH(QStringList, boxes);
        Harness h(std::nullopt);
        testing::TempDir dir;
        model::ConfigRecord rec;
        model::SetEmptyRecord(rec);
        rec.Device = "R4747";
        rec.Czujnik = {static_cast<std::uint8_t>(typ), 1, 0, static_cast<std::uint8_t>(lin)};
        rec.Parametry.MaxInput = 100.0;
        rec.LinCoef = {0.0, 0.0, 1.0, 0, 0, 0, 0, 0, 0, -1.0, 1.0};  // x squared over -1 .. 1
        rec.File = "small.dat";
        rec.TableLoaded = true;  // as saved: the file names its table
        if (!table.isEmpty()) std::ofstream(dir.path() / "small.dat") << table.toStdString();
        h.files.opened << WriteConfiguration(dir.path(), h.context.settings, rec, "user.par");
        h.window->Otworz1Click();
        QCOMPARE(h.messages.texts().join(QLatin1Char('|')), boxes.join(QLatin1Char('|')));
        QCOMPARE(h.messages.beeps, std::vector<Beep>(static_cast<std::size_t>(boxes.size()), Beep::Exclamation));
        QCOMPARE(h.status(), QStringLiteral("Information incomplete"));
    }
};

QTEST_MAIN(ConfigPanelTest)
#include "config_panel_test.moc"
