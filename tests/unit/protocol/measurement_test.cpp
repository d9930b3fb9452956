#include "protocol/measurement.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "protocol/frame_codec.h"

namespace r4860::protocol {
namespace {

TEST(OutputCurrents, DecodeOnTheirScale) {
    struct Case { std::uint8_t high, low; double milliamps; bool extended; };
    for (const auto& [high, low, milliamps, extended] : {
             Case{0x00, 0x00, 4.0, false}, Case{0x20, 0x00, 20.0, false}, Case{0xFF, 0x80, 3.75, false},
             Case{0x23, 0xFF, 4.0 + 9215 * 18.0 / 9216, false},  // the last count of the normal scale
             Case{0x24, 0x00, 0.0, true}, Case{0x63, 0xC0, 8.16, true},  // 9216 starts the extended scale
             Case{0xFF, 0x7F, 25.0, true},                               // 28.0955 mA, limited
             Case{0x80, 0x00, 23552 * 18.0 / 36000, true}}) {            // 32768 is not negative
        const OutputCurrent out = DecodeOutputCurrent(high, low);
        EXPECT_NEAR(out.milliamps, milliamps, 1e-9) << int(high) << " " << int(low);
        EXPECT_EQ(out.extendedScale, extended) << int(high) << " " << int(low);
    }
}

using Data = std::array<std::uint8_t, 8>;

FrameBuffer frameOf(const Data& data) {
    FrameBuffer rx{kReplyLength};
    std::copy(data.begin(), data.end(), rx.begin() + 1);
    rx[9] = Checksum(data);
    return rx;
}

TEST(MeasurementFrames, DecodeResultOutputAndEachStatusBit) {
    MeasurementSample sample;
    StatusFlags status;
    const Data example{0x85, 0x48, 0x00, 0x00, 0x20, 0x00, 0x83, 0x95};
    DecodeMeasurement(example, sample, status);
    EXPECT_EQ(std::tuple(sample.result, sample.outputMa, status.UnitIndex, status.TypeIndex),
              std::tuple(100.0, 20.0, 3, 5));
    EXPECT_EQ(sample.bytes, example);
    struct Bit { std::uint8_t a, b; bool StatusFlags::*flag; };
    using F = StatusFlags;
    for (const auto& [a, b, flag] : {Bit{0x80, 0, &F::EepromError}, Bit{0x40, 0, &F::BrokenSensor},
                                     Bit{0x20, 0, &F::IndependentOutput}, Bit{0x10, 0, &F::CalMode},
                                     Bit{0, 0x80, &F::OutOfRange}, Bit{0, 0x10, &F::InternalError}}) {
        StatusFlags on, off;
        DecodeMeasurement(Data{0, 0, 0, 0, 0, 0, a, b}, sample, on);
        DecodeMeasurement(Data{0, 0, 0, 0, 0, 0, std::uint8_t(~a & 0xF0), std::uint8_t(~b & 0xF0)},
                          sample, off);
        EXPECT_TRUE(on.*flag && !(off.*flag)) << int(a) << " " << int(b) << ": set by its own bit alone";
    }
    DecodeMeasurement(Data{}, sample, status);
    EXPECT_EQ(status.UnitIndex, 15) << "unit index 0 stands for 15";
    status.NewAverage = status.LargeError = true;
    DecodeMeasurement(Data{0, 0, 0, 0, 0, 0, 0, 0x60}, sample, status);
    DecodeMeasurement(Data{}, sample, status);
    EXPECT_TRUE(status.NewAverage && status.LargeError) << "the latched bits are the listener's";
}

TEST(GetSample, TakesEachFrameOnceAndSeesAPulseOnceEvenBetweenTwoPolls) {
    Link link;
    MeasurementSample sample;
    link.setListenerRunningForTest(true);
    link.publishFrame(frameOf({0x7F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02}), true);
    ASSERT_TRUE(GetSample(link, sample));
    EXPECT_EQ(std::pair(sample.result, link.status.TypeIndex), std::pair(1.0, 2));
    sample.result = -7.0;
    EXPECT_FALSE(GetSample(link, sample)) << "the second tick without a new frame";
    EXPECT_EQ(std::pair(sample.result, link.status.TypeIndex), std::pair(-7.0, kNoSampleTypeIndex));
    link.publishFrame(frameOf({0, 0, 0, 0, 0, 0, 0, 0x20}), true);  // New average for one frame
    link.publishFrame(frameOf({0, 0, 0, 0, 0, 0, 0, 0x40}), true);  // Large error for the next
    link.publishFrame(frameOf({}), true);
    ASSERT_TRUE(GetSample(link, sample));
    EXPECT_TRUE(link.status.NewAverage && link.status.LargeError);
    link.publishFrame(frameOf({}), true);
    ASSERT_TRUE(GetSample(link, sample));
    EXPECT_FALSE(link.status.NewAverage || link.status.LargeError) << "held until the next poll, no longer";
    link.publishFrame(frameOf({}), true);
    link.setListenerRunningForTest(false);
    EXPECT_FALSE(GetSample(link, sample)) << "nothing is taken from a stopped listener";
}

TEST(GetSample, NeverSeesAHalfWrittenFrame) {
    Link link;
    link.setListenerRunningForTest(true);
    std::atomic<bool> stop{false};
    std::thread listener([&] {
        for (std::uint8_t n = 0; !stop; ++n) link.publishFrame(frameOf({n, n, n, n, n, n, n, n}), true);
    });
    MeasurementSample sample;
    int taken = 0;
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
         taken < 2000 && std::chrono::steady_clock::now() < end;) {
        if (!GetSample(link, sample)) continue;
        ++taken;
        for (const auto b : sample.bytes) ASSERT_EQ(b, sample.bytes[0]) << "torn at sample " << taken;
    }
    stop = true;
    listener.join();
    EXPECT_GT(taken, 0);
}

}  // namespace
}  // namespace r4860::protocol
