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
    struct Case { std::uint8_t code; std::uint32_t parameter; Bytes data; };
    const model::ConfigRecord record;  // RoomT 25, no corrections
    for (const auto& [code, parameter, data] : {
             Case{'m', 0xAB10, {'m', 0x10}},  // the register bit from p0 only
             Case{'o', 0xFFFFFF80u, {'o', 0xFF, 0x80}}, Case{'r', 0xFFFFFFFFu, {'r'}},
             Case{'s', 0x8000, {'s', 0x80, 0x00}}, Case{'d', 0x00F4, {'D', 4, 0x00, 0xF4, 0x83, 0x48, 0, 0}},
             Case{'1', 0x00AB00C0, {'D', 1, 0x00, 0xC0, 0xAB}}, Case{'L', 0x0255, {'L', 2, 0x55, 0x55, 0x55}},
             Case{'Z', 0x04030201, {'Z', 1, 2, 3, 4}}, Case{'@', 0, {'@', '7', '3', '1', '5'}},
             Case{'%', 0, {'%', 'K', 'Q', 'V', 'z'}}}) {
        const auto built = BuildCommand(code, parameter, record);
        ASSERT_TRUE(built) << code;
        EXPECT_EQ(dataOf(*built), data) << code;
    }
}

TEST(CommandTable, CorrectionsAreHundredthsHighByteFirstWithTheirSum) {
    struct Case { const char* why; double zero, gain; Bytes values; };  // Z high, Z low, G high, G low
    for (const auto& [why, zero, gain, values] : {
             Case{"plain values", 1.5, -0.25, {0x00, 0x96, 0xFF, 0xE7}},
             Case{"a half rounds to the even neighbour", 0.125, 0.375, {0x00, 0x0C, 0x00, 0x26}},
             Case{"beyond 16 bits is limited, not wrapped", 400.0, -400.0, {0x7F, 0xFF, 0x80, 0x00}}}) {
        model::ConfigRecord record;
        record.Parametry.ZeroReg = zero, record.Parametry.GainReg = gain;
        const auto built = BuildCommand('V', 0, record);
        ASSERT_TRUE(built) << why;
        const Bytes expected = {'V', 5, 0x00, 0xF8, values[0], values[1], values[2], values[3],
                                std::uint8_t(values[0] + values[1] + values[2] + values[3])};
        EXPECT_EQ(dataOf(*built), expected) << why;
    }
    model::ConfigRecord record;
    EXPECT_FALSE(BuildCommand('q', 0, record)) << "not a command";
    EXPECT_FALSE(BuildCommand('D', 0, record)) << "'D' is a wire code; callers say 'd' or '1'";
    record.Parametry.RoomT = record.Parametry.ZeroReg = std::nan("");
    EXPECT_FALSE(BuildCommand('d', 0, record)) << "no float to send";
    EXPECT_FALSE(BuildCommand('V', 0, record)) << "no correction to send";
}

// The listener's side of the hand-over, played by the test: a frame makes the link ready.
FrameBuffer frame() { return FrameBuffer{8}; }

TEST(PostCommand, RefusesWithABeepHandsOverOnceAndLeavesAPendingCommandUntouched) {
    Link link;
    RecordingUi ui;
    const model::ConfigRecord record;
    EXPECT_FALSE(PostCommand(link, ui, 's', 0, record)) << "no frame has come yet";
    EXPECT_EQ(ui.beeps(), (std::vector<Beep>{Beep::Default}));
    ui.clear();
    link.publishFrame(frame(), true);
    ASSERT_TRUE(PostCommand(link, ui, 's', 0x0024, record));
    EXPECT_FALSE(PostCommand(link, ui, 'o', 0x0100, record)) << "the link is busy until the listener sends";
    link.publishFrame(frame(), true);  // a frame while the command is pending keeps the link busy
    EXPECT_FALSE(PostCommand(link, ui, 'o', 0x0100, record));
    EXPECT_EQ(ui.beeps(), (std::vector<Beep>{Beep::Default, Beep::Default}));
    const auto pending = link.takePendingForSend();
    ASSERT_NE(pending.command, nullptr);
    EXPECT_EQ(dataOf(*pending.command), (Bytes{'s', 0x00, 0x24})) << "the second post changed nothing";
    EXPECT_TRUE(pending.expectAck);
    ui.clear();
    link.commandSent(false, false);     // not acknowledged: still pending for the next frame
    EXPECT_EQ(link.postState(), PostState::NotReady);
    link.commandSent(true, true);
    ASSERT_EQ(link.postState(), PostState::Ready);
    ASSERT_TRUE(PostCommand(link, ui, 'r', 0, record));
    EXPECT_FALSE(link.takePendingForSend().expectAck) << "the reset is never acknowledged";
    EXPECT_TRUE(ui.beeps().empty());
}

}  // namespace
}  // namespace r4860::protocol
