#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/SampleBlock.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"

using namespace Dotfield;
using Bytes = std::vector<std::uint8_t>;

namespace {

void appendSample(Bytes& bytes, double value) {
    const auto sample = static_cast<std::uint16_t>(std::lround(value));
    bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
    bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
}

// One period of a sine in 65 samples per channel, channel 2 shifted in phase.
Bytes sampleBlock(double referenceAmplitude, double responseAmplitude, double phase = 0.0) {
    Bytes reference;
    Bytes response;
    for (int j = 0; j < 65; ++j) {
        const double angle = 2.0 * std::numbers::pi * j / 65.0;
        appendSample(reference, 32768.0 + referenceAmplitude * std::sin(angle));
        appendSample(response, 32768.0 + responseAmplitude * std::sin(angle + phase));
    }
    reference.insert(reference.end(), response.begin(), response.end());
    return reference;
}

} // namespace

TEST(SampleBlock, SplitsAtHalfItsLengthIntoBigEndianSamples) {
    Bytes block(260, 0);
    block[0] = 0x12;
    block[1] = 0x34;
    block[128] = 0xAB;
    block[129] = 0xCD;
    block[130] = 0xFF;
    block[131] = 0x01;
    const auto [one, two] = impedanceSampleChannels(block);
    ASSERT_EQ(one.size(), 65u);
    ASSERT_EQ(two.size(), 65u);
    EXPECT_EQ(one.front(), 0x1234);
    EXPECT_EQ(one.back(), 0xABCD);
    EXPECT_EQ(two.front(), 0xFF01);

    // An odd half never reads past its own half or the block's end.
    const auto [a, b] = impedanceSampleChannels(Bytes{1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(a, (std::vector<std::uint16_t>{0x0102}));
    EXPECT_EQ(b, (std::vector<std::uint16_t>{0x0405}));
    const auto [none1, none2] = impedanceSampleChannels(Bytes{9});
    EXPECT_TRUE(none1.empty());
    EXPECT_TRUE(none2.empty());
}

TEST(SampleBlock, AmplitudeFitOfSortedSamples) {
    // Samples lying exactly on the fitted curve give its amplitude, whatever their order.
    std::vector<std::uint16_t> samples;
    for (int k = 64; k >= 0; --k) {
        const double s = std::sin(std::numbers::pi / 2.0 * (k * 2.0 / 65.0 - 1.0));
        samples.push_back(static_cast<std::uint16_t>(std::lround(20000.0 + 4000.0 * s)));
    }
    EXPECT_NEAR(sineAmplitude(samples, 65.0, 0.0), 4000.0, 1.0);
    // A flat channel fits to 0 only up to rounding.
    EXPECT_NEAR(sineAmplitude(std::vector<std::uint16_t>(65, 777), 65.0, 0.0), 0.0, 1e-9);
}

TEST(SampleBlock, MagnitudeIsTheAmplitudeRatioTimes1000) {
    const struct {
        double reference;
        double response;
        double phase;
        double magnitude;
    } cases[] = {
        {3000.0, 3000.0, 0.0, 1000.0},
        {3000.0, 1500.0, 0.0, 500.0},
        {2000.0, 20000.0, 0.0, 10000.0},
        {3000.0, 1200.0, 0.7, 400.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.magnitude);
        const Impedance impedance = impedanceFromSampleBlock(sampleBlock(c.reference, c.response, c.phase));
        EXPECT_NEAR(impedance.magnitude, c.magnitude, c.magnitude * 0.005);
        EXPECT_EQ(impedance.phase, 0.0);
    }
}

TEST(SampleBlock, AFlatReferenceChannelIsAGarbledReply) {
    // A flat or sub-count reference would divide by (nearly) nothing: an
    // infinite or huge magnitude that reads as a dispenser on the surface.
    for (double reference : {0.0, 0.4}) {
        SCOPED_TRACE(reference);
        const Bytes block = sampleBlock(reference, 3000.0);
        try {
            impedanceFromSampleBlock(block);
            FAIL() << "no error";
        } catch (const CommunicationsError& error) {
            EXPECT_EQ(error.kind(), CommunicationsError::Kind::corruptedResponse);
            EXPECT_EQ(error.receivedResponse(), block);
        }
    }
    EXPECT_THROW(impedanceFromSampleBlock(Bytes{}), CommunicationsError);
}
