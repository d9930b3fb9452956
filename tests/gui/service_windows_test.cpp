// The service windows opened as the operator opens them (Corrections, then the password), driven
// through their widgets against the emulator: what each control sends shows in the emulator's
// state, memory and frame log, and every way out lets go of the transducer and gives the main
// window its polling back.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <cstdlib>

#include "gui/window_harness.h"
#include "service/diagn_f.h"
#include "service/regul_f.h"
#include "service/symul_f.h"
#include "charts/wykres_xy.h"
#include "workflow/service_mode.h"

using namespace r4860;
using testing::Harness;

namespace {

// The emulator's "service" line as name=value pairs.
std::map<std::string, std::string> ServiceState(testing::SimOnPty& sim) {
    std::map<std::string, std::string> state;
    std::istringstream in(sim.control("service"));
    std::string word;
    while (in >> word) {
        if (const auto eq = word.find('='); eq != std::string::npos) state[word.substr(0, eq)] = word.substr(eq + 1);
    }
    return state;
}

bool Sent(testing::SimOnPty& sim, char code, std::uint32_t parameter, int bytes) {
    for (const auto& f : sim.receivedFrames()) {
        if (f.code() != static_cast<std::uint8_t>(code) || f.data.size() < static_cast<std::size_t>(1 + bytes)) continue;
        std::uint32_t p = 0;
        for (int i = 0; i < bytes; ++i) p = p << 8 | f.data[static_cast<std::size_t>(1 + i)];
        if (p == parameter) return true;
    }
    return false;
}

// Opens a service window through Corrections with `kind` typed at the prompt, runs `body` on it
// once its first sequence is done, then leaves it by `wayOut`; false when it did not open or close.
template <class W>
bool WithServiceWindow(Harness& h, workflow::PasswordKind kind, const std::function<void(W&)>& body,
                       const std::function<void(W&)>& wayOut) {
    mainwindow::DialogHooks hooks;
    hooks.password = [kind](QWidget*) { return kind; };
    h.window->setDialogHooks(hooks);
    bool opened = false;
    std::function<void()> look = [&] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!w) {
            QTimer::singleShot(50, h.window.get(), look);
            return;
        }
        opened = true;
        (void)QTest::qWaitFor([w] { return !w->sequenceRunning() && w->timer1()->isActive(); }, 15000);
        body(*w);
        (void)QTest::qWaitFor([w] { return !w->sequenceRunning(); }, 15000);
        wayOut(*w);
    };
    QTimer::singleShot(0, h.window.get(), look);
    h.find<QAction>("Regulacja1")->trigger();
    return QTest::qWaitFor([&] { return opened && !QApplication::activeModalWidget(); }, 60000);
}

void Click(QWidget& w, const char* name) {
    QTest::mouseClick(w.findChild<QAbstractButton*>(QLatin1String(name)), Qt::LeftButton);
}
void Type(QWidget& w, const char* name, const QString& text) {
    auto* e = w.findChild<QLineEdit*>(QLatin1String(name));
    e->clear();
    QTest::keyClicks(e, text);
}
bool Idle(service::ServiceDialog& w) { return QTest::qWaitFor([&] { return !w.sequenceRunning(); }, 15000); }

}  // namespace

class ServiceWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        static testing::TempDir data;
        setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    }

    // Each control of the diagnostics, in turn, and what it left in the emulator.
    void diagnosticsControlsReachTheTransducer() {
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        // Read first, so that the window opens straight from the command, the main timer running.
        QVERIFY(h.transfer([&] { h.click("OdczytajT"); }));
        h.window->timer1()->start();
        QStringList failures;
        const auto expect = [&](bool ok, const char* what) {
            if (!ok) failures << QLatin1String(what);
        };
        const bool ran = WithServiceWindow<service::TDiagnF>(
            h, workflow::PasswordKind::Service,
            [&](service::TDiagnF& w) {
                expect(!h.window->timer1()->isActive(), "main timer stopped");
                expect(ServiceState(*h.sim)["service"] == "on", "service mode entered");
                Click(w, "Rejestry6");
                Idle(w);
                expect(ServiceState(*h.sim)["register"] == "64", "register 6 selected");
                Type(w, "SetOut", QStringLiteral("12"));
                Click(w, "SetOutbutt");
                expect(QTest::qWaitFor([&] { return ServiceState(*h.sim)["forced"] == "4096"; }, 5000), "output forced");
                Type(w, "SetOut", QStringLiteral("25"));
                Click(w, "SetOutbutt");
                expect(w.findChild<QLineEdit*>("SetOut")->text() == QLatin1String("21.75"), "25 mA refused");
                w.findChild<QSpinBox*>("EEaUpDn")->setValue(0x25);
                Click(w, "ReadEEB");
                Idle(w);
                const auto mem = h.sim->memory();
                const QString bytes = QString::asprintf("%02X %02X %02X %02X", mem[0x24], mem[0x25], mem[0x26], mem[0x27]);
                expect(w.findChild<QSpinBox*>("EEaUpDn")->value() == 0x24, "address rounded down");
                expect(w.findChild<QLineEdit*>("MessTxt")->text() == bytes, "memory bytes shown");
                expect(w.findChild<QRadioButton*>("Rejestry4")->isChecked(), "measurement selected again");
                w.findChild<QSpinBox*>("EEaUpDn")->setValue(0x40);
                Type(w, "MessTxt", QStringLiteral("a2"));
                Click(w, "EEwriteB");
                Idle(w);
                expect(QTest::qWaitFor([&] { return h.sim->memory()[0x40] == 0xA2; }, 5000), "byte written");
            },
            [](service::TDiagnF& w) { QTest::keyClick(&w, Qt::Key_Escape); });
        QVERIFY(ran);
        QCOMPARE(failures.join(QStringLiteral(", ")), QString());
        const auto state = ServiceState(*h.sim);
        QCOMPARE(QString::fromStdString(state.at("service") + " " + state.at("forced")), QStringLiteral("off none"));
        QVERIFY(Sent(*h.sim, 'r', 0, 0));
        QVERIFY(h.window->timer1()->isActive());
    }

    // Every way out of either window: the transducer let go, the main window polling again.
    void everyWayOutLetsGo_data() {
        QTest::addColumn<bool>("diagnostics");
        QTest::addColumn<int>("way");  // 0 Escape, 1 the title bar's close, 2 ExitB
        QTest::newRow("diagnostics, Escape") << true << 0;
        QTest::newRow("diagnostics, closed") << true << 1;
        QTest::newRow("corrections, Exit") << false << 2;
        QTest::newRow("corrections, closed") << false << 1;
    }
    void everyWayOutLetsGo() {
        QFETCH(bool, diagnostics);
        QFETCH(int, way);
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        h.window->timer1()->start();
        const auto force = [](QWidget& w) {
            Type(w, "SetOut", QStringLiteral("8"));
            Click(w, "SetOutbutt");
        };
        const auto leave = [way](QWidget& w) {
            if (way == 0) QTest::keyClick(&w, Qt::Key_Escape);
            else if (way == 1) w.close();
            else Click(w, "ExitB");
        };
        std::string forcedInside;
        const auto body = [&](QWidget& w) {
            force(w);
            (void)QTest::qWaitFor([&] { return (forcedInside = ServiceState(*h.sim)["forced"]) != "none"; }, 5000);
        };
        const bool ran = diagnostics
                             ? WithServiceWindow<service::TDiagnF>(h, workflow::PasswordKind::Service, body, leave)
                             : WithServiceWindow<service::TRegulF>(h, workflow::PasswordKind::Operator, body, leave);
        QVERIFY(ran);
        QCOMPARE(QString::fromStdString(forcedInside), QStringLiteral("2048"));
        const auto state = ServiceState(*h.sim);
        QCOMPARE(QString::fromStdString(state.at("service") + " " + state.at("forced")), QStringLiteral("off none"));
        QVERIFY(h.window->timer1()->isActive());
    }

    // A written correction lands in the transducer and stays in the configuration; one moved
    // but not written leaves the configuration as it was.
    void correctionsStayOnlyWhenWritten_data() {
        QTest::addColumn<bool>("write");
        QTest::newRow("written") << true;
        QTest::newRow("not written") << false;
    }
    void correctionsStayOnlyWhenWritten() {
        QFETCH(bool, write);
        Harness h(testing::SimOptions{});
        QVERIFY(h.tickUntilConnected());
        const bool ran = WithServiceWindow<service::TRegulF>(
            h, workflow::PasswordKind::Operator,
            [&](service::TRegulF& w) {
                w.findChild<QScrollBar*>("ZeroS")->setValue(300);
                w.findChild<QScrollBar*>("GainS")->setValue(0);
                if (write) Click(w, "ZapiszB");
            },
            [](service::TRegulF& w) { Click(w, "ExitB"); });
        QVERIFY(ran);
        const auto mem = h.sim->memory();
        const int zero = static_cast<std::int16_t>(mem[0xF8] << 8 | mem[0xF9]);
        const int gain = static_cast<std::int16_t>(mem[0xFA] << 8 | mem[0xFB]);
        QCOMPARE(zero, write ? 100 : 0);
        QCOMPARE(gain, write ? -200 : 0);
        QCOMPARE(h.context.record.Parametry.ZeroReg, write ? 1.0 : 0.0);
        QCOMPARE(h.context.record.Parametry.GainReg, write ? -1.9999 : 0.0);
        QCOMPARE(h.find<QLabel>("RegulZV")->text().trimmed().startsWith(write ? "1.00" : "0.00"), true);
    }

    // The simulation on a straight line over 0..20 mA: what the edits and bars make of it.
    void simulationFollowsTheEdits_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("inputE");
        QTest::addColumn<QString>("outputE");
        QTest::addColumn<int>("inputS");
        QTest::addColumn<QString>("box");
        QTest::newRow("50 %") << "InputE" << "50" << "50.00" << "12.00" << 100 << "";
        QTest::newRow("12 mA") << "OutputE" << "12" << "50.00" << "12.00" << 100 << "";
        QTest::newRow("20 mA") << "OutputE" << "20" << "100.00" << "20.00" << 0 << "";
        QTest::newRow("no number") << "InputE" << "x" << "0.00" << "4.00" << 200 << "Wrong format!";
        QTest::newRow("beyond 100 %") << "InputE" << "150" << "0.00" << "4.00" << 200 << "Out of range!";
    }
    void simulationFollowsTheEdits() {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        testing::RecordingMessages messages;
        workflow::SimulationInput in;
        for (int k = 0; k <= 100; ++k) in.curve[static_cast<std::size_t>(k)] = k / 100.0;
        in.signalMax = 20.0;
        in.maxInput = 100.0;
        in.sensorCode = 17;
        service::TSymulF w(in, messages, {});
        auto* plot = w.findChild<charts::TWykresXY*>("WykresXY1");
        const QPoint before = plot->crossHairPixel();
        Type(w, qPrintable(edit), typed);
        QTest::keyClick(w.findChild<QLineEdit*>(edit), Qt::Key_Return);
        QTEST(w.findChild<QLineEdit*>("InputE")->text().trimmed(), "inputE");
        QTEST(w.findChild<QLineEdit*>("OutputE")->text().trimmed(), "outputE");
        QTEST(w.findChild<QScrollBar*>("InputS")->value(), "inputS");
        QTEST(messages.texts().join(QString()), "box");
        QCOMPARE(plot->crossHairPixel() != before, messages.boxes.empty());
        QVERIFY(!plot->bipolar());
    }

    // A transducer a killed tool left in service mode: the window asks once, and lets go of it
    // only when the operator says so.
    void startOffersToLeaveServiceMode_data() {
        QTest::addColumn<bool>("leave");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void startOffersToLeaveServiceMode() {
        QFETCH(bool, leave);
        Harness h(testing::SimOptions{});
        QVERIFY(h.sim->control("service on").find("service=on") != std::string::npos);
        h.messages.answers.push_back(leave ? qtbridge::Answer::Yes : qtbridge::Answer::No);
        QVERIFY(h.tickUntilConnected());
        const QString question = QString::fromStdString(workflow::LeaveServiceQuestion());
        for (int i = 0; i < 8; ++i) {
            h.sim->waitFrames(1);
            h.window->Timer1Timer();
            QCoreApplication::processEvents();
        }
        if (leave) QVERIFY(QTest::qWaitFor([&] { return ServiceState(*h.sim)["service"] == "off"; }, 10000));
        else QCOMPARE(QString::fromStdString(ServiceState(*h.sim)["service"]), QStringLiteral("on"));
        QCOMPARE(h.messages.texts().count(question), 1);
        QCOMPARE(h.messages.texts().size(), 1);
    }

    // The plot: points clamp to its edges, the cross-hair never marks the trace, and a signal
    // range around zero opens the simulation on a bipolar axis.
    void plotKeepsItsCurve() {
        charts::TWykresXY plot;
        plot.resize(431, 311);
        plot.plotPoint(50, 150);   // beyond the right edge
        plot.plotPoint(-5, 50);    // below the bottom
        const QImage before = plot.trace();
        QCOMPARE(before.pixelColor(before.width() - 2, plot.trace().height() / 2 - 1).alpha() +
                     before.pixelColor(before.width() - 2, plot.trace().height() / 2).alpha() +
                     before.pixelColor(before.width() - 2, plot.trace().height() / 2 + 1).alpha() > 0, true);
        plot.setCrossHairs(true);
        for (int x = 0; x <= 100; x += 25) plot.setCrossHair(50, x);
        QCOMPARE(plot.trace(), before);
        testing::RecordingMessages messages;
        workflow::SimulationInput in;
        in.signalMin = -10.0;
        in.signalMax = 10.0;
        service::TSymulF w(in, messages, {});
        QVERIFY(w.findChild<charts::TWykresXY*>("WykresXY1")->bipolar());
    }
};

QTEST_MAIN(ServiceWindowsTest)
#include "service_windows_test.moc"
