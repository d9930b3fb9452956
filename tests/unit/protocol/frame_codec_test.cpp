#include "protocol/frame_codec.h"

#include <gtest/gtest.h>

#include <random>

namespace r4860::protocol {
namespace {

// Undoes the stuffing of a host frame's body: the emulator's view of what the host sent.
Bytes unstuff(const Bytes& wire) {
    Bytes body;
    for (std::size_t i = 1; i + 1 < wire.size(); ++i) {
        if (wire[i] == kEsc && i + 2 < wire.size()) {
            body.push_back(static_cast<std::uint8_t>(wire[++i] ^ kEscXor));
        } else {
            body.push_back(wire[i]);
        }
    }
    return body;
}

struct StuffCase {
    const char* why;
    Bytes data;
    Bytes wire;
};

class CommandFrames : public ::testing::TestWithParam<StuffCase> {};

TEST_P(CommandFrames, AreLaidOutAndStuffedAsOnTheWire) {
    const auto& [why, data, wire] = GetParam();
    EXPECT_EQ(BuildCommandFrame(data), wire) << why;
}

INSTANTIATE_TEST_SUITE_P(Examples, CommandFrames, ::testing::Values(
    StuffCase{"the one-byte reset has checksum 0x8D", {0x72}, {0xC0, 0x55, 0x01, 0x72, 0x8D, 0xC1}},
    StuffCase{"a read of 0x0024 has checksum 0x68", {0x73, 0x00, 0x24}, {0xC0, 0x55, 0x03, 0x73, 0x00, 0x24, 0x68, 0xC1}},
    StuffCase{"a START byte in the data is escaped",
              {0x73, 0x00, 0xC0}, {0xC0, 0x55, 0x03, 0x73, 0x00, 0xCE, 0xE0, 0xCC, 0xC1}},
    StuffCase{"END and ESC in the data are escaped; the sum is over the plain bytes",
              {0xC1, 0xCE}, {0xC0, 0x55, 0x02, 0xCE, 0xE1, 0xCE, 0xEE, 0x70, 0xC1}},
    StuffCase{"a checksum that equals END is escaped too", {0x3E}, {0xC0, 0x55, 0x01, 0x3E, 0xCE, 0xE1, 0xC1}}));

TEST(CommandFrames, EmptyAndOverlongCommandsAreNeverFramed) {
    EXPECT_TRUE(BuildCommandFrame({}).empty());
    EXPECT_TRUE(BuildCommandFrame(Bytes(101, 1)).empty());
    EXPECT_FALSE(BuildCommandFrame(Bytes(100, 1)).empty()) << "100 data bytes is the longest command";
}

TEST(CommandFrames, ALengthByteThatNeedsEscapingIsEscaped) {
    // 0xC0 data bytes cannot be framed (over 100), but the escape rule covers every body byte;
    // the checksum of 0xCE alone is 0x31, and the ESC data byte itself doubles.
    const Bytes wire = BuildCommandFrame(Bytes{0xCE});
    EXPECT_EQ(wire, (Bytes{0xC0, 0x55, 0x01, 0xCE, 0xEE, 0x31, 0xC1}));
}

TEST(CommandFrames, UnstuffingWhatWasBuiltGivesBackAddressLengthDataAndChecksum) {
    std::mt19937 rng(4800);
    for (int i = 0; i < 3000; ++i) {
        Bytes data(1 + rng() % kMaxCommandData);
        // Bias towards the special bytes so every escape shows up often.
        constexpr std::uint8_t kSpecial[] = {kStart, kEnd, kEsc};
        for (auto& b : data) b = (rng() % 4 == 0) ? kSpecial[rng() % 3] : static_cast<std::uint8_t>(rng());
        const Bytes wire = BuildCommandFrame(data);
        ASSERT_EQ(wire.front(), kStart);
        ASSERT_EQ(wire.back(), kEnd);
        for (std::size_t k = 1; k + 1 < wire.size(); ++k)
            ASSERT_TRUE(wire[k] != kStart && wire[k] != kEnd) << "case " << i << ": a delimiter inside the frame";
        Bytes expected{kHostAddress, static_cast<std::uint8_t>(data.size())};
        expected.insert(expected.end(), data.begin(), data.end());
        expected.push_back(Checksum(data));
        ASSERT_EQ(unstuff(wire), expected) << "case " << i;
    }
}

TEST(DeviceFrames, StuffDataAndChecksumButNotTheHeader) {
    const ReplyData data = {0x7F, 0xC1, 0x00, 0x00, 0x20, 0x00, 0x03, 0x00};
    const Bytes wire = BuildDeviceFrame(data);
    const Bytes expected = {0xC0, 0x31, 0x08, 0x7F, 0xCE, 0xE1, 0x00, 0x00, 0x20, 0x00, 0x03, 0x00,
                            Checksum(data), 0xC1};
    EXPECT_EQ(wire, expected);
}

TEST(Checksum, IsTheComplementOfTheEightBitSum) {
    EXPECT_EQ(Checksum(Bytes{0x72}), 0x8D);
    EXPECT_EQ(Checksum(Bytes{0x73, 0x00, 0x24}), 0x68);
    EXPECT_EQ(Checksum(Bytes{0xFF, 0x01}), 0xFF) << "the sum wraps at 256";
    EXPECT_EQ(Checksum(Bytes{}), 0xFF);
}

}  // namespace
}  // namespace r4860::protocol
