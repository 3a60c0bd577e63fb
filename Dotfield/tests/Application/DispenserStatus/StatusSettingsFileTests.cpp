// The statistics the status poll stores after every reading reach the
// settings file only when they change: a dispenser that stays as it was
// (readings without noise) leaves the file alone once the averages settled.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "Dotfield/Application/DispenserStatus/DispenserStatusPollTick.hpp"
#include "Dotfield/tests/Instrument/Electronics/ElectronicsObjectFixture.hpp"
#include "Dotfield/tests/Support/SettingsTestSupport.hpp"

namespace Dotfield::testing {
namespace {

class StatusSettingsFile : public ElectronicsObjectFixture {};

TEST_P(StatusSettingsFile, UnchangedReadingsDoNotRewriteTheSettingsFile) {
    SettingsStoreFixture settings(Backing::userDefaults, "StatusSettingsFile");
    const auto polled = std::make_shared<Electronics>(settings.store, ElectronicsTiming{clock, clock});
    polled->setSerialPort(port);
    polled->setHardwareGeneration(object->hardwareGeneration());
    // Reference statistics from noisy readings; from then on the dispenser
    // reads the same every time.
    electronics->setMeasurementNoise(2.0, 0.002, 3);
    polled->setDispenserStatistics(sample());
    electronics->setMeasurementNoise(0.0, 0.0, 3);
    // The application's poll tick, run on the electronics queue as its timer
    // runs it; flush() stands for the store's delayed save, which writes only
    // when something changed.
    DispenserStatusPollEnvironment environment;
    environment.electronics = polled.get();
    environment.windows = std::make_shared<DispenserStatusPollWindowRegistry>();
    environment.clock = clock;
    std::string state;
    environment.reportState = [&state](const std::string& text) { state = text; };
    DispenserStatusPollTick tick(std::move(environment), points);
    const auto checkAndSave = [&] {
        performOnQueueSync(
            [&] {
                tick();
                return 0;
            },
            *polled);
        EXPECT_EQ(state, dispenserStateText(DispenserConnectionStatus::connectedAndOffSurface));
        return settings.persistent->flush();
    };

    // The moving averages close in on the readings until they no longer move.
    std::optional<PropertyListValue> averages;
    int checks = 0;
    for (; checks < 1000; ++checks) {
        ASSERT_TRUE(checkAndSave());
        const auto stored = settings.store->object("averageForNoiseCalculationArray");
        if (stored == averages) {
            break;
        }
        averages = stored;
    }
    ASSERT_LT(checks, 1000) << "the averages never settled";
    ASSERT_TRUE(std::filesystem::exists(settings.file));
    std::filesystem::remove(settings.file);
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(checkAndSave());
    }
    EXPECT_FALSE(std::filesystem::exists(settings.file)) << "unchanged statistics were written again";

    // Readings that move the averages are saved.
    electronics->setMeasurementNoise(2.0, 0.002, 3);
    ASSERT_TRUE(checkAndSave());
    EXPECT_TRUE(std::filesystem::exists(settings.file));
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, StatusSettingsFile,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016),
                         generationName);

} // namespace
} // namespace Dotfield::testing
