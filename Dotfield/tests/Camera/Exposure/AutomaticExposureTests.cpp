#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Dotfield/Camera/Exposure/AutomaticExposure.hpp"
#include "Dotfield/Camera/Exposure/ExposureCalculation.hpp"

namespace {

using Dotfield::calculateExposureSettings;
using Dotfield::cameraSettingValue;

struct ExposureCase {
    const char* name;
    double Y, T, k, Bmin, Emax, E, Gmin, Gmax, G;
    std::uint32_t brightness, gain, exposure;
};

class ExposureSteps : public ::testing::TestWithParam<ExposureCase> {};

TEST_P(ExposureSteps, GiveTheSettingsTheCameraIsSent) {
    const auto& c = GetParam();
    const auto result = calculateExposureSettings(c.Y, c.T, c.k, c.Bmin, c.Emax, c.E, c.Gmin, c.Gmax, c.G);
    EXPECT_EQ(cameraSettingValue(result.brightness), c.brightness);
    EXPECT_EQ(cameraSettingValue(result.gain), c.gain);
    EXPECT_EQ(cameraSettingValue(result.exposure), c.exposure);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExposureSteps,
    ::testing::Values(
        // Exposure step: q = 0.5 + (ln 1.52 - ln 0.26) / 28 = 0.56306...
        ExposureCase{"tooDarkWithRoomToExpose", 0.25, 0.5, 6.5, 0, 1000, 500, 0, 1024, 0, 0, 0, 563},
        // Gain step: 200 + 1024 ln(7/3) / 6.5 = 333.48...
        ExposureCase{"tooDarkAtFullExposure", 0.3, 0.5, 6.5, 0, 1000, 1000, 0, 1024, 200, 0, 333, 1000},
        // The gain would fall below its minimum: the exposure step with Y capped at 0.62.
        ExposureCase{"tooBrightAtFullExposure", 0.9, 0.5, 6.5, 0, 1000, 1000, 0, 1024, 10, 0, 0, 900},
        // On target with room: exposure kept, gain to its minimum, brightness to its minimum.
        ExposureCase{"onTarget", 0.5, 0.5, 20.0, 7, 1000, 400, 16, 1024, 300, 7, 16, 400},
        // An exposure beyond its maximum, still too dark: back to the maximum, gain raised.
        ExposureCase{"exposureBeyondMaximum", 0.3, 0.5, 6.5, 0, 1000, 1200, 0, 1024, 200, 0, 333, 1000},
        // Gain capped at its maximum.
        ExposureCase{"gainAtMaximum", 0.1, 0.9, 6.5, 0, 1000, 1000, 0, 1024, 1000, 0, 1024, 1000},
        // Measured luminance outside 0 to 1 is clamped first.
        ExposureCase{"blackFrame", 0.0, 0.5, 6.5, 0, 1000, 1000, 0, 1024, 0, 0, 346, 1000}),
    [](const ::testing::TestParamInfo<ExposureCase>& param) { return std::string(param.param.name); });

TEST(ExposureSteps, ATargetAboveTheCapActsAsTheCapOnlyInTheExposureStep) {
    // Exposure step: 0.62 and 0.8 give the same exposure.
    const auto capped = calculateExposureSettings(0.3, 0.62, 6.5, 0, 1000, 500, 0, 1024, 0);
    const auto high = calculateExposureSettings(0.3, 0.8, 6.5, 0, 1000, 500, 0, 1024, 0);
    EXPECT_DOUBLE_EQ(capped.exposure, high.exposure);
    // Gain step: 0.8 asks for more gain than 0.62.
    const auto cappedGain = calculateExposureSettings(0.3, 0.62, 6.5, 0, 1000, 1000, 0, 1024, 0);
    const auto highGain = calculateExposureSettings(0.3, 0.8, 6.5, 0, 1000, 1000, 0, 1024, 0);
    EXPECT_GT(highGain.gain, cappedGain.gain);
}

TEST(ExposureSteps, ConversionToCameraValues) {
    EXPECT_EQ(cameraSettingValue(-3.5), 0U);
    EXPECT_EQ(cameraSettingValue(std::nan("")), 0U);
    EXPECT_EQ(cameraSettingValue(562.99), 562U);
    EXPECT_EQ(cameraSettingValue(1e12), std::numeric_limits<std::uint32_t>::max());
}

// Settings held in fields, recording the writes.
class FakeControls final : public Dotfield::ExposureControls {
  public:
    bool automatic = true;
    double target = 0.5;
    std::uint32_t emax = 1000;
    std::uint32_t e = 500;
    std::uint32_t g = 5;
    std::uint32_t b = 9;
    int writes = 0;

    bool areAutomaticCameraSettingsShown() const override { return automatic; }
    double targetLuminance() const override { return target; }
    double cameraLightingScaleFactor() const override { return 6.5; }
    std::uint32_t brightnessMin() const override { return 0; }
    std::uint32_t exposureMax() const override { return emax; }
    std::uint32_t exposure() const override { return e; }
    std::uint32_t gainMin() const override { return 0; }
    std::uint32_t gainMax() const override { return 1024; }
    std::uint32_t gain() const override { return g; }
    void setBrightness(std::uint32_t value) override {
        b = value;
        ++writes;
    }
    void setExposure(std::uint32_t value) override {
        e = value;
        ++writes;
    }
    void setGain(std::uint32_t value) override {
        g = value;
        ++writes;
    }
};

TEST(AutomaticExposure, AdjustsOnEveryThirdMeasurementOnlyInAutomaticModeAndMeasuresOnlyThen) {
    Dotfield::AutomaticExposure loop;
    FakeControls controls;
    int measured = 0;
    const auto frame = [&] {
        loop.adjustCameraSettingsForLuminance(
            [&] {
                ++measured;
                return 0.25F;
            },
            controls);
    };
    frame();
    frame();
    EXPECT_EQ(controls.writes, 0);
    EXPECT_EQ(loop.frameSkipped(), 2);
    frame();
    EXPECT_EQ(controls.writes, 3);
    EXPECT_EQ(controls.e, 563U);
    EXPECT_EQ(controls.g, 0U);
    EXPECT_EQ(controls.b, 0U);
    EXPECT_EQ(loop.frameSkipped(), 0);
    EXPECT_EQ(measured, 1) << "frames passed over are not measured";

    // Custom mode freezes both the settings and the count, and measures nothing.
    frame();
    controls.automatic = false;
    for (int i = 0; i < 5; ++i) {
        frame();
    }
    EXPECT_EQ(controls.writes, 3);
    EXPECT_EQ(loop.frameSkipped(), 1);
    EXPECT_EQ(measured, 1);
}

TEST(AutomaticExposure, NoAdjustmentWithoutAnExposureRangeOrWithALuminanceThatIsNotANumber) {
    struct Case {
        std::uint32_t emax;
        float luminance;
        double target;
    };
    for (const Case c : {Case{0, 0.25F, 0.5}, Case{1000, std::nanf(""), 0.5},
                         Case{1000, 0.25F, std::numeric_limits<double>::infinity()}}) {
        Dotfield::AutomaticExposure loop;
        FakeControls controls;
        controls.emax = c.emax;
        controls.target = c.target;
        for (int i = 0; i < 3; ++i) {
            loop.adjustCameraSettingsForLuminance(c.luminance, controls);
        }
        EXPECT_EQ(controls.writes, 0);
        EXPECT_EQ(controls.e, 500U);
    }
}

} // namespace
