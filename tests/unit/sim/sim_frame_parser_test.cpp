// The emulator's reading of host frames: what it accepts, what it rejects and why.
#include "sim/command_frame_parser.h"

#include <gtest/gtest.h>

#include <random>

namespace r4860::sim {
namespace {

using protocol::Bytes;

std::vector<HostFrame> feedAll(const Bytes& wire) {
    CommandFrameParser p;
    std::vector<HostFrame> out;
    for (const auto b : wire) p.feed(b, 1000, true, out);
    p.expire(1000 + CommandFrameParser::kIdleUs, out);
    return out;
}

TEST(FrameParser, JudgesHostFramesAsTheFirmwareWould) {
    struct Case { const char* why; Bytes wire; FrameStatus status; Bytes data; };
    const Case cases[] = {
        {"reset: checksum 0x8D", {0xC0, 0x55, 0x01, 0x72, 0x8D, 0xC1}, FrameStatus::Ok, {0x72}},
        {"address 0x00C0 arrives escaped and is unstuffed", {0xC0, 0x55, 0x03, 0x73, 0x00, 0xCE, 0xE0, 0xCC, 0xC1},
         FrameStatus::Ok, {0x73, 0x00, 0xC0}},
        {"a checksum that needs escaping", {0xC0, 0x55, 0x01, 0x3E, 0xCE, 0xE1, 0xC1}, FrameStatus::Ok, {0x3E}},
        {"checksum off by one", {0xC0, 0x55, 0x01, 0x72, 0x8E, 0xC1}, FrameStatus::BadChecksum, {}},
        {"the transducer's own address", {0xC0, 0x31, 0x01, 0x72, 0x8D, 0xC1}, FrameStatus::BadAddress, {}},
        {"length says two, one data byte came", {0xC0, 0x55, 0x02, 0x72, 0x8D, 0xC1}, FrameStatus::BadLength, {}},
        {"length zero is never a command", {0xC0, 0x55, 0x00, 0xFF, 0xC1}, FrameStatus::BadLength, {}},
        {"escape right before END", {0xC0, 0x55, 0x01, 0x72, 0xCE, 0xC1}, FrameStatus::Truncated, {}},
        {"END never came", {0xC0, 0x55, 0x01, 0x72, 0x8D}, FrameStatus::Truncated, {}},
    };
    for (const auto& c : cases) {
        const auto frames = feedAll(c.wire);
        ASSERT_EQ(frames.size(), 1u) << c.why;
        EXPECT_FALSE(frames[0].noise) << c.why;
        EXPECT_EQ(frames[0].status, c.status) << c.why;
        EXPECT_EQ(frames[0].data, c.data) << c.why;
        EXPECT_EQ(frames[0].wire, c.wire) << c.why;
    }
    const auto cut = feedAll({0xC0, 0x55, 0x03, 0x73, 0xC0, 0x55, 0x01, 0x72, 0x8D, 0xC1});
    ASSERT_EQ(cut.size(), 2u) << "a new START cuts the frame before and begins another";
    EXPECT_EQ(cut[0].status, FrameStatus::Truncated);
    EXPECT_EQ(cut[1].data, Bytes{0x72});
}

TEST(FrameParser, GathersNoiseUntilAPauseAndRemembersWhereAFrameStarted) {
    // The seven zeros the host sends after the oscillator command's acknowledgement.
    CommandFrameParser p;
    std::vector<HostFrame> out;
    for (int i = 0; i < 7; ++i) p.feed(0x00, 1000 + i, false, out);
    EXPECT_TRUE(out.empty()) << "noise is gathered until a pause or a frame";
    ASSERT_TRUE(p.deadline().has_value());
    p.expire(*p.deadline(), out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(out[0].noise);
    EXPECT_EQ(out[0].wire, Bytes(7, 0x00));

    out.clear();
    const Bytes wire = protocol::BuildCommandFrame(Bytes{0x72});
    p.feed(wire[0], 10, false, out);
    for (std::size_t i = 1; i < wire.size(); ++i) p.feed(wire[i], 20, true, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FALSE(out[0].startedInGap) << "the gap opening mid-frame does not make it a gap command";
    EXPECT_EQ(out[0].startUs, 10);
}

TEST(FrameParser, ReadsBackEveryFrameTheHostCodecBuilds) {
    std::mt19937 rng(4800);
    for (int i = 0; i < 3000; ++i) {
        Bytes data(std::uniform_int_distribution<std::size_t>(1, protocol::kMaxCommandData)(rng));
        for (auto& b : data) {  // biased towards the three bytes stuffing is about
            const auto pick = rng() % 10;
            b = pick < 3 ? std::array<std::uint8_t, 3>{0xC0, 0xC1, 0xCE}[pick] : static_cast<std::uint8_t>(rng());
        }
        const auto frames = feedAll(protocol::BuildCommandFrame(data));
        ASSERT_EQ(frames.size(), 1u) << "case " << i;
        ASSERT_EQ(frames[0].status, FrameStatus::Ok) << "case " << i;
        ASSERT_EQ(frames[0].data, data) << "case " << i;
    }
}

}  // namespace
}  // namespace r4860::sim
