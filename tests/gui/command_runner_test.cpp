// Command sequences as jobs against the real emulator: what the service windows build on. The
// sequence's frames are checked in the emulator's log, its outcome arrives on the window's thread,
// and while it holds the line nothing else may use it.
#include <QtTest>
#include <atomic>

#include "qtbridge/command_runner.h"
#include "qtbridge/message_service.h"
#include "qtbridge/transfer_runner.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"
#include "workflow/app_context.h"
#include "workflow/transducer.h"

using namespace r4860;
using namespace std::chrono_literals;

namespace {

struct Registers {
    bool ok = false;
    workflow::MeasurementSample sample;
    Qt::HANDLE thread = nullptr;
};

}  // namespace

class CommandRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void aSequenceRunsAloneAndHandsBackItsOutcome() {
        testing::SimOnPty sim;
        QVERIFY2(sim.ok(), sim.startError().c_str());
        workflow::AppContext context;
        workflow::Transducer transducer(context.link);
        QVERIFY(transducer.startOnPath(sim.slavePath()).ok());
        testing::RecordingMessages messages;
        qtbridge::CommandRunner runner(transducer, messages);
        QVERIFY(QTest::qWaitFor([&] { return transducer.pollingOn() && sim.waitFrames(2); }, 5000));

        std::optional<Registers> outcome;
        QVERIFY(runner.start<Registers>(
            [](workflow::CommandLine& line) {
                Registers r;
                r.ok = line.execute('@') && line.execute('m', 16) && line.waitFreshSample(r.sample);
                r.thread = QThread::currentThreadId();
                return r;
            },
            [&](const Registers& r) { outcome = r; }));
        // The line is the sequence's: no second one, no transfer, no poll, no post.
        QVERIFY(!runner.start<int>([](workflow::CommandLine&) { return 0; }, {}));
        qtbridge::TransferRunner transfer;
        QVERIFY(!transfer.start(transducer, {}));
        workflow::MeasurementSample sample;
        QVERIFY(!transducer.takeSample(sample));
        QVERIFY(!transducer.pollingOn());
        qtbridge::QtUiHooks ui(messages, nullptr);
        QVERIFY(!transducer.post('r', 0, ui));

        QSignalSpy done(&runner, &qtbridge::CommandRunner::finished);
        QVERIFY(done.wait(10000));
        QVERIFY(outcome && outcome->ok);
        QVERIFY(outcome->thread != QThread::currentThreadId());
        QVERIFY(transducer.pollingOn());
        std::string codes;
        for (const auto& f : sim.receivedFrames()) {
            if (f.outcome == "accepted") codes += static_cast<char>(f.code());
        }
        QCOMPARE(QString::fromStdString(codes), QStringLiteral("@m"));
        QCOMPARE(messages.beeps, std::vector<Beep>{Beep::Asterisk});  // the refused post above
    }

    void aCancelledSequenceEndsAtOnceAndItsBeepsAreSounded() {
        testing::SimOptions silent;
        silent.silent = true;
        testing::SimOnPty sim(silent);
        QVERIFY2(sim.ok(), sim.startError().c_str());
        workflow::AppContext context;
        workflow::Transducer transducer(context.link);
        QVERIFY(transducer.startOnPath(sim.slavePath()).ok());
        testing::RecordingMessages messages;
        qtbridge::CommandRunner runner(transducer, messages);
        std::atomic<bool> paused{false};
        bool outcome = true;
        QVERIFY(runner.start<bool>(
            [&](workflow::CommandLine& line) {
                // Nobody answers: the post is refused with its beep, then a long pause.
                const bool posted = line.postWhenReady('m', 16);
                paused = true;
                return posted || line.pause(30s);
            },
            [&](const bool& r) { outcome = r; }));
        QVERIFY(QTest::qWaitFor([&] { return paused.load(); }, 10000));
        runner.cancel();
        QSignalSpy done(&runner, &qtbridge::CommandRunner::finished);
        QVERIFY(done.wait(20000));  // well before the pause would have ended
        QVERIFY(!outcome);
        QCOMPARE(messages.beeps, std::vector<Beep>{Beep::Asterisk});
        QVERIFY(sim.receivedFrames().empty());
    }
};

QTEST_MAIN(CommandRunnerTest)
#include "command_runner_test.moc"
