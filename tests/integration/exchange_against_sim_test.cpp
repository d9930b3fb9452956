// The listener, posting and polling against the real emulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "common/lang_table.h"
#include "link/port_problem.h"
#include "protocol/commands.h"
#include "model/config_record.h"
#include "protocol/measurement.h"
#include "support/recording_ui.h"
#include "support/sim_on_pty.h"

namespace r4860::protocol {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::RecordingUi;
using testing::SimLogEntry;
using testing::SimOnPty;

constexpr int kSimPort = 99;

template <class Pred>
bool eventually(Pred pred, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (Clock::now() < end) {
        if (pred()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return pred();
}

std::vector<SimLogEntry> commandsWithCode(const SimOnPty& sim, std::uint8_t code) {
    std::vector<SimLogEntry> out;
    for (auto& e : sim.receivedFrames())
        if (e.code() == code) out.push_back(e);
    return out;
}

class ExchangeAgainstSim : public ::testing::Test {
protected:
    void SetUp() override {
        UseEnglishTable();
        ASSERT_TRUE(sim.ok()) << sim.startError();
        auto started = link.start(kSimPort, kDefaultBaudIndex, sim.portsDir());
        ASSERT_TRUE(started) << started.error().message;
        ASSERT_TRUE(link.pollingOn());
        ASSERT_TRUE(eventually([&] { return ready(); }, 3s)) << "frames come";
    }
    bool ready() const { return link.postState() == PostState::Ready; }
    bool execute(std::uint8_t code, std::uint32_t parameter) { return ExecuteCommand(link, ui, code, parameter, record); }

    SimOnPty sim;
    Link link;
    RecordingUi ui;
    const model::ConfigRecord record;
};

TEST_F(ExchangeAgainstSim, TheListenerReceivesAndValidatesEveryFrame) {
    MeasurementSample sample;
    int samples = 0;
    int typeIndex = -1;
    const auto end = Clock::now() + 1500ms;
    while (Clock::now() < end) {
        if (WaitNewSample(link, sample)) {
            ++samples;
            EXPECT_TRUE(std::isfinite(sample.result));
            EXPECT_GE(sample.outputMa, 0.0);
            EXPECT_LE(sample.outputMa, 25.0);
            if (typeIndex < 0) typeIndex = link.status.TypeIndex;
            EXPECT_EQ(link.status.TypeIndex, typeIndex) << "the model index does not jump";
        }
    }
    EXPECT_GE(samples, 15) << "a frame about every 60 ms, each taken once";
    pollfd notify{link.frameNotifyFd(), POLLIN, 0};
    EXPECT_EQ(::poll(&notify, 1, 1000), 1) << "a window watching the notification wakes per frame";
    EXPECT_GE(link.drainFrameNotifications(), 1u);
    EXPECT_NE(typeIndex, kNoSampleTypeIndex);
    EXPECT_TRUE(WaitFreshSample(link, sample));
    EXPECT_FALSE(GetSample(link, sample)) << "already taken";
}

TEST_F(ExchangeAgainstSim, APostedCommandIsSentInTheGapAfterAFrameAndAcknowledged) {
    ASSERT_TRUE(execute('m', 16));
    const auto sent = commandsWithCode(sim, 'm');
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].outcome, "accepted");
    EXPECT_TRUE(sent[0].inGap);
    EXPECT_EQ(sent[0].data, (std::vector<std::uint8_t>{'m', 16}));
    ReportCommandFailure(link, ui);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(ui.beeps().empty());
}

TEST_F(ExchangeAgainstSim, AnUnacknowledgedCommandIsTriedAfterFourFramesThenReportedOnceIfTheLastFails) {
    for (const auto& [dropped, reported] : {std::pair{3, std::vector<std::string>{}},
                                            std::pair{4, std::vector<std::string>{"Command failed!"}}}) {
        const auto before = commandsWithCode(sim, 'm').size();
        ASSERT_EQ(sim.control("drop-acks next " + std::to_string(dropped)).rfind("ok", 0), 0u);
        ASSERT_TRUE(PostCommandWhenReady(link, ui, 'm', 16, record));
        ASSERT_TRUE(eventually([&] { return ready(); }, 3s)) << "dropped after its last try";
        const auto tries = commandsWithCode(sim, 'm');
        ASSERT_EQ(tries.size() - before, 4u) << "the first send and three retries";
        for (std::size_t i = before + 1; i < tries.size(); ++i) {   // each retry follows a frame of its own
            const auto log = sim.log();
            EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const auto& e) {
                return e.dir == "tx" && e.kind != "ack" && e.timeUs > tries[i - 1].timeUs && e.timeUs < tries[i].timeUs;
            })) << "retry " << i;
        }
        ReportCommandFailure(link, ui);
        ReportCommandFailure(link, ui);
        EXPECT_EQ(ui.messages(), reported) << dropped << " lost acknowledgements";
        EXPECT_EQ(ui.beeps().size(), reported.size());
    }
}

TEST_F(ExchangeAgainstSim, CorruptedFramesAndDroppedAcksAreSurvived) {
    ASSERT_EQ(sim.control("corrupt 0.1").rfind("ok", 0), 0u);
    ASSERT_EQ(sim.control("drop-acks 0.1").rfind("ok", 0), 0u);
    MeasurementSample sample;
    int samples = 0, done = 0;
    for (int i = 0; i < 8; ++i) {
        if (execute('m', 16)) ++done;
        for (int k = 0; k < 5; ++k)
            if (WaitNewSample(link, sample)) {
                ++samples;
                EXPECT_TRUE(std::isfinite(sample.result));
            }
    }
    EXPECT_GE(done, 7) << "retries carry commands over single losses";
    EXPECT_GE(samples, 25);
    EXPECT_TRUE(link.listenerRunning());
}

TEST_F(ExchangeAgainstSim, ASilentTransducerBlocksPostingWithABeep) {
    ASSERT_EQ(sim.control("silence on").rfind("ok", 0), 0u);
    ASSERT_TRUE(eventually([&] { return link.postState() == PostState::NotReady; }, 2s)) << "three failed receives";
    EXPECT_FALSE(PostCommand(link, ui, 'm', 16, record));
    EXPECT_EQ(ui.beeps(), (std::vector<Beep>{Beep::Default}));
    sim.startBroadcasting();
    EXPECT_TRUE(eventually([&] { return ready(); }, 2s));
    EXPECT_TRUE(execute('m', 16));
}

TEST_F(ExchangeAgainstSim, TheListenerStopsForATransferAndStartsAgain) {
    const auto start = Clock::now();
    auto stopped = link.suspendForTransfer();
    ASSERT_TRUE(stopped) << stopped.error().message;
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_FALSE(link.listenerRunning());
    EXPECT_FALSE(link.pollingOn());
    EXPECT_EQ(link.postState(), PostState::NotReady);
    MeasurementSample sample;
    EXPECT_FALSE(GetSample(link, sample));

    ASSERT_TRUE(link.resumeAfterTransfer());
    EXPECT_TRUE(WaitNewSample(link, sample));
    EXPECT_TRUE(execute('m', 16));
}

TEST_F(ExchangeAgainstSim, StopLinkIsPromptAndASecondStartOpensThePortAgain) {
    const auto start = Clock::now();
    link.stop();
    EXPECT_LT(Clock::now() - start, 500ms) << "the eventfd wakes the listener at once";
    EXPECT_FALSE(link.pollingOn());
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.postState(), PostState::NotReady);

    auto again = link.start(kSimPort, kDefaultBaudIndex, sim.portsDir());
    ASSERT_TRUE(again) << again.error().message;
    EXPECT_TRUE(eventually([&] { return ready(); }, 2s));
}

TEST_F(ExchangeAgainstSim, APortInUseCannotBeStartedTwice) {
    Link other;
    auto second = other.start(kSimPort, kDefaultBaudIndex, sim.portsDir());
    ASSERT_FALSE(second);
    EXPECT_EQ(other.startProblem(), link::PortProblem::Busy) << "held by another program";
    EXPECT_FALSE(other.pollingOn());
    EXPECT_FALSE(other.isOpen()) << "nothing kept from the failed attempt";
    EXPECT_FALSE(other.start(0, kDefaultBaudIndex, sim.portsDir()));
    EXPECT_EQ(other.startProblem(), link::PortProblem::Missing) << "no such port";
}

TEST_F(ExchangeAgainstSim, UnpluggingAndReplugging) {
    ASSERT_EQ(sim.control("unplug").rfind("ok", 0), 0u);
    EXPECT_TRUE(eventually([&] { return link.postState() == PostState::NotReady; }, 2s)) << "the displays go blank";
    MeasurementSample sample;
    EXPECT_FALSE(GetSample(link, sample));
    std::this_thread::sleep_for(1200ms);   // re-open attempts meanwhile find nothing
    ASSERT_EQ(sim.control("replug").rfind("ok", 0), 0u);
    ASSERT_TRUE(eventually([&] { return ready(); }, 4s)) << "no action from the operator";
    EXPECT_GE(link.port()->reopenCount(), 1);
    EXPECT_TRUE(link.pollingOn());
    EXPECT_TRUE(WaitNewSample(link, sample));
    EXPECT_TRUE(execute('m', 16));
}

}  // namespace
}  // namespace r4860::protocol
