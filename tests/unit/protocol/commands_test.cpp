#include "protocol/commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "common/lang_table.h"
#include "protocol/frame_codec.h"
#include "support/recording_ui.h"

namespace r4860::protocol {
namespace {

using namespace std::chrono_literals;
using testing::RecordingUi;

Bytes dataOf(const FrameBuffer& buffer) { return Bytes(buffer.begin() + 1, buffer.begin() + 1 + buffer[0]); }

TEST(CommandTable, LaysOutTheDataBytes) {
    struct Case {
        const char* why;
        std::uint8_t code;
        std::uint32_t parameter;
        Bytes data;
    };
    const model::ConfigRecord record;   // RoomT 25, no corrections
    for (const auto& [why, code, parameter, data] : {
             Case{"'m' takes the register bit from p0 only", 'm', 0xAB10, {'m', 0x10}},
             Case{"'o' sends the 16-bit output high byte first", 'o', 0x1234, {'o', 0x12, 0x34}},
             Case{"'o' with -128 counts keeps the two's complement", 'o', 0xFFFFFF80u, {'o', 0xFF, 0x80}},
             Case{"'r' is the code alone", 'r', 0xFFFFFFFFu, {'r'}},
             Case{"'s' sends the address high byte first", 's', 0x8000, {'s', 0x80, 0x00}},
             Case{"'d' writes RoomT (25.0 = 83 48 00 00) at p1:p0", 'd', 0x00F4, {'D', 4, 0x00, 0xF4, 0x83, 0x48, 0, 0}},
             Case{"'1' writes the byte p2 at p1:p0", '1', 0x00AB00C0, {'D', 1, 0x00, 0xC0, 0xAB}},
             Case{"'L' sends index p1 and the value p0 three times", 'L', 0x0255, {'L', 2, 0x55, 0x55, 0x55}},
             Case{"'V' of zero corrections sums to 0", 'V', 0, {'V', 5, 0x00, 0xF8, 0, 0, 0, 0, 0}},
             Case{"'Z' sends p0 first", 'Z', 0x04030201, {'Z', 1, 2, 3, 4}},
             Case{"'@' is the fixed service text", '@', 0, {'@', '7', '3', '1', '5'}},
             Case{"'%' is the fixed oscillator text", '%', 0, {'%', 'K', 'Q', 'V', 'z'}}}) {
        const auto built = BuildCommand(code, parameter, record);
        ASSERT_TRUE(built) << why;
        EXPECT_EQ(dataOf(*built), data) << why;
    }
}

TEST(CommandTable, CorrectionsAreHundredthsHighByteFirstWithTheirSum) {
    struct Case {
        const char* why;
        double zero, gain;
        Bytes values;   // Z high, Z low, G high, G low
    };
    for (const auto& [why, zero, gain, values] : {
             Case{"plain values", 1.5, -0.25, {0x00, 0x96, 0xFF, 0xE7}},
             Case{"a half rounds to the even neighbour", 0.125, 0.375, {0x00, 0x0C, 0x00, 0x26}},
             Case{"beyond 16 bits is limited, not wrapped", 400.0, -400.0, {0x7F, 0xFF, 0x80, 0x00}}}) {
        model::ConfigRecord record;
        record.Parametry.ZeroReg = zero;
        record.Parametry.GainReg = gain;
        const auto built = BuildCommand('V', 0, record);
        ASSERT_TRUE(built) << why;
        Bytes expected = {'V', 5, 0x00, 0xF8};
        expected.insert(expected.end(), values.begin(), values.end());
        expected.push_back(static_cast<std::uint8_t>(values[0] + values[1] + values[2] + values[3]));
        EXPECT_EQ(dataOf(*built), expected) << why;
    }
    model::ConfigRecord record;
    EXPECT_FALSE(BuildCommand('q', 0, record)) << "not a command";
    EXPECT_FALSE(BuildCommand('D', 0, record)) << "'D' is a wire code; callers say 'd' or '1'";
    record.Parametry.RoomT = record.Parametry.ZeroReg = std::nan("");
    EXPECT_FALSE(BuildCommand('d', 0, record)) << "no float to send";
    EXPECT_FALSE(BuildCommand('V', 0, record)) << "no correction to send";
}

// A link in the state the listener leaves it in after a frame, without a port or thread.
void makeReady(Link& link) {
    link.ListenerRunning = link.SampleValid = link.LinkReady = true;
    link.CommandPending = false;
}

TEST(PostCommand, RefusesWithABeepAndLeavesAPendingCommandUntouched) {
    Link link;
    RecordingUi ui;
    EXPECT_FALSE(PostCommand(link, ui, 's', 0)) << "no frame has come yet";
    link.SampleValid = true;
    EXPECT_FALSE(PostCommand(link, ui, 's', 0)) << "a frame came but the link is busy";
    EXPECT_EQ(ui.beeps(), (std::vector<Beep>{Beep::Default, Beep::Default}));
    EXPECT_FALSE(link.CommandPending);

    ui.clear();
    makeReady(link);
    ASSERT_TRUE(PostCommand(link, ui, 'o', 0x0100));
    const FrameBuffer pending = link.command;
    link.LinkReady = true;   // the pending state alone must stop the second post
    EXPECT_FALSE(PostCommand(link, ui, 's', 0x0024));
    EXPECT_EQ(ui.beeps(), (std::vector<Beep>{Beep::Asterisk}));
    EXPECT_EQ(link.command, pending);
    EXPECT_TRUE(link.CommandPending);
}

TEST(PostCommand, FillsTheBufferAndHandsItOver) {
    Link link;
    RecordingUi ui;
    makeReady(link);
    ASSERT_TRUE(PostCommand(link, ui, 's', 0x0024));
    EXPECT_EQ(dataOf(link.command), (Bytes{'s', 0x00, 0x24}));
    EXPECT_TRUE(link.CommandPending);
    EXPECT_FALSE(link.LinkReady);
    EXPECT_TRUE(link.ExpectAck);
    makeReady(link);
    ASSERT_TRUE(PostCommand(link, ui, 'r', 0));
    EXPECT_FALSE(link.ExpectAck) << "the reset is never acknowledged";
    EXPECT_TRUE(ui.beeps().empty());
}

TEST(PostCommandWhenReady, PostsOnceTheLinkIsReadyOrGivesUpWithAnAsteriskBeep) {
    using Clock = std::chrono::steady_clock;
    Link link;
    RecordingUi ui;
    EXPECT_FALSE(PostCommandWhenReady(link, ui, 'm', 16)) << "no listener: at once";
    EXPECT_EQ(ui.beeps(), (std::vector<Beep>{Beep::Asterisk}));

    ui.clear();
    link.ListenerRunning = true;
    std::thread listener([&] {
        std::this_thread::sleep_for(300ms);
        link.SampleValid = link.LinkReady = true;
        link.ReadyEvent.set();
    });
    auto start = Clock::now();
    EXPECT_TRUE(PostCommandWhenReady(link, ui, 'm', 16));
    EXPECT_LT(Clock::now() - start, 450ms);
    listener.join();
    EXPECT_GE(ui.pumps(), 1) << "the UI is served during the wait";
    EXPECT_TRUE(link.CommandPending);

    ui.clear();
    link.SampleValid = link.LinkReady = link.CommandPending = false;   // no frame ever comes now
    start = Clock::now();
    EXPECT_FALSE(PostCommandWhenReady(link, ui, 'm', 16));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 4700ms);
    EXPECT_LT(waited, 6s);
    EXPECT_GE(ui.pumps(), 20);
    EXPECT_EQ(ui.beeps(), (std::vector<Beep>{Beep::Asterisk}));
}

TEST(ExecuteCommand, IsTrueOnlyWhenTheListenerConfirmsTheSend) {
    Link link;
    RecordingUi ui;
    makeReady(link);
    std::thread listener([&] {
        while (!link.CommandPending) std::this_thread::sleep_for(1ms);
        link.CommandPending = false;
        link.CommandDoneEvent.set();
    });
    EXPECT_TRUE(ExecuteCommand(link, ui, 'm', 16));
    listener.join();

    makeReady(link);   // nobody takes this one
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ExecuteCommand(link, ui, 'm', 16));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 950ms);
}

TEST(ReportCommandFailure, ShowsTheMessageOncePerFailure) {
    UseEnglishTable();
    Link link;
    RecordingUi ui;
    link.ListenerRunning = true;
    link.LastSendOk = false;
    link.CommandPending = true;
    ReportCommandFailure(link, ui);
    EXPECT_TRUE(ui.messages().empty()) << "not while the command is still being retried";

    link.CommandPending = false;
    ReportCommandFailure(link, ui);
    ReportCommandFailure(link, ui);
    EXPECT_EQ(ui.messages(), (std::vector<std::string>{"Command failed!"}));
    EXPECT_EQ(ui.beeps(), (std::vector<Beep>{Beep::Exclamation}));
    EXPECT_TRUE(link.LastSendOk);

    link.LastSendOk = false;
    link.ListenerRunning = false;
    ReportCommandFailure(link, ui);
    EXPECT_EQ(ui.messages().size(), 1u) << "no report once the link is down";
}

}  // namespace
}  // namespace r4860::protocol
