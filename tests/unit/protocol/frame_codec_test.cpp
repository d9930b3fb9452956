#include "protocol/frame_codec.h"

#include <gtest/gtest.h>

#include <random>

namespace r4860::protocol {
namespace {

// Undoes the stuffing of a host frame's body: the transducer's view of what the host sent.
Bytes unstuff(const Bytes& wire) {
    Bytes body;
    for (std::size_t i = 1; i + 1 < wire.size(); ++i)
        body.push_back(wire[i] == kEsc && i + 2 < wire.size() ? static_cast<std::uint8_t>(wire[++i] ^ kEscXor)
                                                              : wire[i]);
    return body;
}

TEST(CommandFrames, AreLaidOutAndStuffedAsOnTheWire) {
    struct Case {
        const char* why;
        Bytes data, wire;
    };
    for (const auto& [why, data, wire] : {
             Case{"the reset 'r' has checksum 0x8D", {0x72}, {0xC0, 0x55, 0x01, 0x72, 0x8D, 0xC1}},
             Case{"'s',0x00,0x24 has checksum 0x68", {0x73, 0x00, 0x24}, {0xC0, 0x55, 0x03, 0x73, 0x00, 0x24, 0x68, 0xC1}},
             Case{"START in the data becomes CE E0", {0x73, 0x00, 0xC0}, {0xC0, 0x55, 0x03, 0x73, 0x00, 0xCE, 0xE0, 0xCC, 0xC1}},
             Case{"END and ESC become CE E1 and CE EE; the sum is over the plain bytes",
                  {0xC1, 0xCE}, {0xC0, 0x55, 0x02, 0xCE, 0xE1, 0xCE, 0xEE, 0x70, 0xC1}},
             Case{"a checksum equal to END is escaped too", {0x3E}, {0xC0, 0x55, 0x01, 0x3E, 0xCE, 0xE1, 0xC1}},
             Case{"the sum wraps at 256", {0xFF, 0x01}, {0xC0, 0x55, 0x02, 0xFF, 0x01, 0xFF, 0xC1}},
             Case{"an empty command is never framed", {}, {}},
             Case{"nor one over 100 bytes", Bytes(101, 1), {}}}) {
        EXPECT_EQ(BuildCommandFrame(data), wire) << why;
    }
    EXPECT_FALSE(BuildCommandFrame(Bytes(100, 1)).empty()) << "100 data bytes is the longest command";
}

TEST(CommandFrames, SeededRandomRoundTripsKeepDelimitersOnlyAtTheEnds) {
    std::mt19937 rng(4800);
    constexpr std::uint8_t kSpecial[] = {kStart, kEnd, kEsc};
    for (int i = 0; i < 3000; ++i) {
        Bytes data(1 + rng() % kMaxCommandData);
        for (auto& b : data) b = (rng() % 4 == 0) ? kSpecial[rng() % 3] : static_cast<std::uint8_t>(rng());
        const Bytes wire = BuildCommandFrame(data);
        ASSERT_EQ(wire.front(), kStart);
        ASSERT_EQ(wire.back(), kEnd);
        for (std::size_t k = 1; k + 1 < wire.size(); ++k)
            ASSERT_TRUE(wire[k] != kStart && wire[k] != kEnd) << "case " << i << ": a delimiter inside";
        Bytes expected{kHostAddress, static_cast<std::uint8_t>(data.size())};
        expected.insert(expected.end(), data.begin(), data.end());
        expected.push_back(Checksum(data));
        ASSERT_EQ(unstuff(wire), expected) << "case " << i;
    }
}

TEST(DeviceFrames, StuffDataAndChecksumButNotTheHeader) {
    const ReplyData data = {0x7F, 0xC1, 0x00, 0x00, 0x20, 0x00, 0x03, 0x00};
    EXPECT_EQ(BuildDeviceFrame(data), (Bytes{0xC0, 0x31, 0x08, 0x7F, 0xCE, 0xE1, 0x00, 0x00, 0x20, 0x00, 0x03,
                                             0x00, Checksum(data), 0xC1}));
}

}  // namespace
}  // namespace r4860::protocol
