#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/instrument/World/InstrumentWorld.hpp"
#include "simulators/instrument/World/WorldAttachments.hpp"
#include "simulators/peers/RelayBox/SimulatedRelayBox.hpp"
#include "simulators/peers/tests/RecordingSerialPort.hpp"

using namespace Simulators;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The world with the electronics (redesign) and the relay box attached,
// spoken to byte by byte as the host would.
class WorldWithDevices : public testing::Test {
  protected:
    void SetUp() override {
        WorldConfiguration configuration;
        configuration.clock = clock;
        configuration.start = WorldPoint{0.0, 0.0, 5000.0};
        configuration.surface = SimulatedSurface::plane(4000.0);
        world = std::make_shared<InstrumentWorld>(configuration);
        attachElectronics(world, electronics);
        attachRelayBox(world, relayBox);
    }

    void TearDown() override {
        detachElectronics(electronics);
        detachRelayBox(relayBox);
    }

    Bytes toElectronics(const Bytes& bytes) {
        electronics.receive(bytes, electronicsPort);
        return electronicsPort.take();
    }
    void toRelayBox(const Bytes& bytes) { relayBox.receive(bytes, relayPort); }

    static Bytes frequencyCommand(std::uint32_t word) {
        return {'F', static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
                static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
    }

    // The magnitude of the first point of a status reading.
    double firstStatusMagnitude() {
        const Bytes reply = toElectronics({'P'});
        EXPECT_EQ(reply.size(), 30u);
        const auto signed24 = [&](std::size_t at) {
            std::int32_t value = (reply[at] << 16) | (reply[at + 1] << 8) | reply[at + 2];
            return static_cast<double>(value >= 0x800000 ? value - 0x1000000 : value);
        };
        return std::hypot(signed24(0), signed24(3)) / 1000.0;
    }

    std::shared_ptr<SteppedWorldClock> clock = std::make_shared<SteppedWorldClock>();
    std::shared_ptr<InstrumentWorld> world;
    SimulatedElectronics electronics{SimulatedElectronics::Generation::redesign2016};
    SimulatedRelayBox relayBox;
    RecordingSerialPort electronicsPort{SerialLineSettings{.baudRate = 115200}};
    RecordingSerialPort relayPort{SerialLineSettings{.baudRate = 9600}};
};

} // namespace

TEST_F(WorldWithDevices, EachDriveOfTheDispenserIsRecordedWithItsPathVoltageAndFrequencies) {
    const std::uint32_t firstWord = 0x01000000;
    const std::uint32_t secondWord = 0x01100000;
    toElectronics(frequencyCommand(firstWord));
    toElectronics({'g'}); // connected, but no voltage yet
    clock->advance(100ms);
    EXPECT_TRUE(world->dispenserDrives().empty());
    toElectronics({'w', 0x08, 0x00}); // 10 V: driving
    world->moveAxis({WorldAxis::x, 1000.0, 1000.0, 10000.0});
    clock->advance(500ms);
    toElectronics(frequencyCommand(secondWord));
    clock->advance(1000ms);
    toElectronics({'w', 0x00, 0x00});
    toElectronics({'i'});

    // A second one at rest.
    toElectronics({'g', 'w', 0x04, 0x00});
    clock->advance(200ms);
    const auto running = world->dispenserDrives();
    ASSERT_EQ(running.size(), 2u);
    EXPECT_FALSE(running[1].finished);
    EXPECT_EQ(running[1].duration(), 200ms);
    toElectronics({'i'});

    const auto drives = world->dispenserDrives();
    ASSERT_EQ(drives.size(), 2u);
    const DispenserDriveRecord& moving = drives[0];
    EXPECT_TRUE(moving.finished);
    EXPECT_EQ(moving.start, 100ms);
    EXPECT_EQ(moving.duration(), 1500ms);
    EXPECT_DOUBLE_EQ(moving.voltage, 10.0);
    ASSERT_EQ(moving.frequencies.size(), 2u);
    EXPECT_DOUBLE_EQ(moving.frequencies[0].frequencyHz, electronics.frequencyForWord(firstWord));
    EXPECT_DOUBLE_EQ(moving.frequencies[1].frequencyHz, electronics.frequencyForWord(secondWord));
    EXPECT_EQ(moving.frequencies[1].from, 600ms);
    EXPECT_DOUBLE_EQ(moving.mainFrequencyHz(), electronics.frequencyForWord(secondWord));
    ASSERT_GT(moving.tipPath.size(), 10u);
    EXPECT_EQ(moving.tipPath.front(), (WorldPoint{0.0, 0.0, 5000.0}));
    EXPECT_EQ(moving.tipPath.back(), (WorldPoint{1000.0, 0.0, 5000.0}));
    for (std::size_t i = 1; i < moving.tipPath.size(); ++i) {
        EXPECT_GT(moving.tipPath[i].x, moving.tipPath[i - 1].x);
        EXPECT_LE(moving.tipPath[i].x - moving.tipPath[i - 1].x, 10.0 + 1e-9);
    }

    const DispenserDriveRecord& still = drives[1];
    EXPECT_TRUE(still.finished);
    EXPECT_DOUBLE_EQ(still.voltage, 5.0);
    EXPECT_EQ(still.tipPath, (std::vector<WorldPoint>{{1000.0, 0.0, 5000.0}}));
}

TEST_F(WorldWithDevices, EachClosingOfTheRelayIsAnExposure) {
    toRelayBox({0xFF, 0x01, 0x01});
    clock->advance(3s);
    toRelayBox({0xFF, 0x01, 0x00, 0xFF, 0x01, 0x00});
    clock->advance(1s);
    relayBox.setClosed(true);
    clock->advance(500ms);

    const auto exposures = world->uvExposures();
    ASSERT_EQ(exposures.size(), 2u);
    EXPECT_TRUE(exposures[0].finished);
    EXPECT_EQ(exposures[0].start, 0s);
    EXPECT_EQ(exposures[0].duration(), 3s);
    EXPECT_FALSE(exposures[1].finished);
    EXPECT_EQ(exposures[1].start, 4s);
    EXPECT_EQ(exposures[1].duration(), 500ms);
}

TEST_F(WorldWithDevices, TheElectronicsSeeTheOnSurfaceResponseWhileTheTipTouches) {
    const double free = firstStatusMagnitude();
    EXPECT_NEAR(free, electronics.dispenser().magnitudeAt(250000.0), 0.01);
    world->moveAxis({WorldAxis::z, 4000.0, 100000.0, 100000.0});
    clock->advance(1s);
    EXPECT_NEAR(firstStatusMagnitude() / free, 1.5, 1e-4);
    detachElectronics(electronics);
    EXPECT_NEAR(firstStatusMagnitude(), free, 1e-3);
}
