#include "protocol/measurement.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "protocol/frame_codec.h"

namespace r4860::protocol {
namespace {

TEST(OutputCurrents, DecodeOnTheirScale) {
    struct Case {
        const char* why;
        std::uint8_t high, low;
        double milliamps;
        bool extended;
    };
    for (const auto& [why, high, low, milliamps, extended] : {
             Case{"zero counts are 4 mA", 0x00, 0x00, 4.0, false},
             Case{"8192 counts are 20 mA", 0x20, 0x00, 20.0, false},
             Case{"-128 counts are 3.75 mA (signed)", 0xFF, 0x80, 3.75, false},
             Case{"9088 counts are 21.75 mA", 0x23, 0x80, 21.75, false},
             Case{"9215 is the last count of the normal scale", 0x23, 0xFF, 4.0 + 9215 * 18.0 / 9216, false},
             Case{"9216 starts the extended scale at 0 mA", 0x24, 0x00, 0.0, true},
             Case{"25536 counts are 8.16 mA", 0x63, 0xC0, 8.16, true},
             Case{"65407 is 28.0955 mA, limited to 25", 0xFF, 0x7F, 25.0, true},
             Case{"32768 is not negative: it lies on the extended scale", 0x80, 0x00, 23552 * 18.0 / 36000, true}}) {
        const OutputCurrent out = DecodeOutputCurrent(high, low);
        EXPECT_NEAR(out.milliamps, milliamps, 1e-9) << why;
        EXPECT_EQ(out.extendedScale, extended) << why;
    }
}

using Data = std::array<std::uint8_t, 8>;

FrameBuffer frameOf(const Data& data) {
    FrameBuffer rx{};
    rx[0] = kReplyLength;
    std::copy(data.begin(), data.end(), rx.begin() + 1);
    rx[9] = Checksum(data);
    return rx;
}

TEST(MeasurementFrames, DecodeResultOutputAndEachStatusBit) {
    MeasurementSample sample;
    StatusFlags status;
    const Data example{0x85, 0x48, 0x00, 0x00, 0x20, 0x00, 0x83, 0x95};
    DecodeMeasurement(example, sample, status);
    EXPECT_DOUBLE_EQ(sample.result, 100.0);
    EXPECT_DOUBLE_EQ(sample.outputMa, 20.0);
    EXPECT_EQ(status.UnitIndex, 3);
    EXPECT_EQ(status.TypeIndex, 5);
    EXPECT_EQ(sample.bytes, example);
    struct BitCase {
        const char* why;
        std::uint8_t a, b;
        bool StatusFlags::*flag;
    };
    for (const auto& [why, a, b, flag] : {BitCase{"A7", 0x80, 0, &StatusFlags::EepromError},
                                          BitCase{"A6", 0x40, 0, &StatusFlags::BrokenSensor},
                                          BitCase{"A5", 0x20, 0, &StatusFlags::IndependentOutput},
                                          BitCase{"A4", 0x10, 0, &StatusFlags::CalMode},
                                          BitCase{"B7", 0, 0x80, &StatusFlags::OutOfRange},
                                          BitCase{"B4", 0, 0x10, &StatusFlags::InternalError}}) {
        StatusFlags on, off;
        DecodeMeasurement(Data{0, 0, 0, 0, 0, 0, a, b}, sample, on);
        EXPECT_TRUE(on.*flag) << why;
        DecodeMeasurement(Data{0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(~a & 0xF0),
                               static_cast<std::uint8_t>(~b & 0xF0)}, sample, off);
        EXPECT_FALSE(off.*flag) << why << " must not follow the other bits";
    }
    DecodeMeasurement(Data{}, sample, status);
    EXPECT_EQ(status.UnitIndex, 15) << "unit index 0 stands for 15";
    status.NewAverage = status.LargeError = true;
    DecodeMeasurement(Data{0, 0, 0, 0, 0, 0, 0, 0x60}, sample, status);
    DecodeMeasurement(Data{}, sample, status);
    EXPECT_TRUE(status.NewAverage && status.LargeError) << "the latched bits are the listener's, not the decoder's";
}

TEST(GetSample, TakesEachFrameOnce) {
    Link link;
    MeasurementSample sample;
    link.setListenerRunningForTest(true);
    EXPECT_FALSE(GetSample(link, sample));
    EXPECT_EQ(link.status.TypeIndex, kNoSampleTypeIndex);

    link.publishFrame(frameOf({0x7F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02}), true);
    ASSERT_TRUE(GetSample(link, sample));
    EXPECT_DOUBLE_EQ(sample.result, 1.0);
    EXPECT_EQ(link.status.TypeIndex, 2);

    sample.result = -7.0;
    EXPECT_FALSE(GetSample(link, sample)) << "the second tick without a new frame";
    EXPECT_EQ(link.status.TypeIndex, kNoSampleTypeIndex);
    EXPECT_DOUBLE_EQ(sample.result, -7.0) << "the sample is left as it was";

    link.publishFrame(frameOf({}), true);
    link.setListenerRunningForTest(false);
    EXPECT_FALSE(GetSample(link, sample)) << "nothing is taken from a stopped listener";
}

TEST(GetSample, APulseOfNewAverageOrLargeErrorIsSeenOnceEvenBetweenTwoPolls) {
    Link link;
    MeasurementSample sample;
    link.setListenerRunningForTest(true);
    link.publishFrame(frameOf({0, 0, 0, 0, 0, 0, 0, 0x20}), true);   // New average for one frame
    link.publishFrame(frameOf({0, 0, 0, 0, 0, 0, 0, 0x40}), true);   // Large error for the next
    link.publishFrame(frameOf({}), true);
    ASSERT_TRUE(GetSample(link, sample));
    EXPECT_TRUE(link.status.NewAverage);
    EXPECT_TRUE(link.status.LargeError);

    link.publishFrame(frameOf({}), true);
    ASSERT_TRUE(GetSample(link, sample));
    EXPECT_FALSE(link.status.NewAverage) << "held until the poll after it, no longer";
    EXPECT_FALSE(link.status.LargeError);
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
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (taken < 2000 && std::chrono::steady_clock::now() < end) {
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
