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
#include "workflow/diagnostics_commands.h"
#include "workflow/app_context.h"
#include "workflow/transducer.h"

using namespace r4860;

namespace {

struct Line {
    explicit Line(testing::SimOptions options = {}) : sim(options), transducer(context.link), runner(transducer, messages) {}
    bool up() { return sim.ok() && transducer.startOnPath(sim.slavePath()).ok(); }
    testing::SimOnPty sim;
    workflow::AppContext context;
    workflow::Transducer transducer;
    testing::RecordingMessages messages;
    qtbridge::CommandRunner runner;
};

}  // namespace

class CommandRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void aSequenceRunsAloneAndHandsBackItsOutcome() {
        Line l;
        QVERIFY(l.up());
        QVERIFY(QTest::qWaitFor([&] { return l.sim.waitFrames(2); }, 5000));
        struct Registers {
            bool ok = false;
            Qt::HANDLE thread = nullptr;
        };
        std::optional<Registers> outcome;
        QVERIFY(l.runner.start<Registers>(
            [](workflow::CommandLine& line) {
                workflow::MeasurementSample sample;
                // A service sequence runs on the job's line as it is.
                return Registers{workflow::EnterServiceMode(line) && line.waitFreshSample(sample),
                                 QThread::currentThreadId()};
            },
            [&](const Registers& r) { outcome = r; }));
        // The line is the sequence's: no second one, no transfer, no poll, no post.
        QVERIFY(!l.runner.start<int>([](workflow::CommandLine&) { return 0; }, {}));
        QVERIFY(!qtbridge::TransferRunner().start(l.transducer, {}));
        workflow::MeasurementSample sample;
        QVERIFY(!l.transducer.takeSample(sample) && !l.transducer.pollingOn());
        qtbridge::QtUiHooks ui(l.messages, nullptr);
        QVERIFY(!l.transducer.post('r', 0, ui));

        QSignalSpy done(&l.runner, &qtbridge::CommandRunner::finished);
        QVERIFY(done.wait(10000));
        QVERIFY(outcome && outcome->ok && outcome->thread != QThread::currentThreadId());
        QVERIFY(l.transducer.pollingOn());
        std::string codes;
        for (const auto& f : l.sim.receivedFrames()) {
            if (f.outcome == "accepted") codes += static_cast<char>(f.code());
        }
        QCOMPARE(QString::fromStdString(codes), QStringLiteral("@m"));
        QCOMPARE(l.messages.beeps, std::vector<Beep>{Beep::Asterisk});  // the refused post above
    }

    void aCancelledSequenceEndsAtOnceAndItsBeepsAreSounded() {
        testing::SimOptions silent;
        silent.silent = true;
        Line l(silent);
        QVERIFY(l.up());
        std::atomic<bool> paused{false};
        bool outcome = true;
        QVERIFY(l.runner.start<bool>(
            [&](workflow::CommandLine& line) {
                // Nobody answers: the post is refused with its beep, then a long pause.
                const bool posted = line.postWhenReady('m', 16);
                paused = true;
                return posted || line.pause(std::chrono::seconds(30));
            },
            [&](const bool& r) { outcome = r; }));
        QVERIFY(QTest::qWaitFor([&] { return paused.load(); }, 10000));
        l.runner.cancel();
        QSignalSpy done(&l.runner, &qtbridge::CommandRunner::finished);
        QVERIFY(done.wait(20000));  // well before the pause would have ended
        QVERIFY(!outcome);
        QCOMPARE(l.messages.beeps, std::vector<Beep>{Beep::Asterisk});
        QVERIFY(l.sim.receivedFrames().empty());
    }
};

QTEST_MAIN(CommandRunnerTest)
#include "command_runner_test.moc"
