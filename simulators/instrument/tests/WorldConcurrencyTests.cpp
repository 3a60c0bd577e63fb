#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/instrument/Positioners/Generic/SimulatedGenericPositioner.hpp"
#include "simulators/instrument/World/WorldAttachments.hpp"
#include "simulators/peers/tests/RecordingSerialPort.hpp"

using namespace Simulators;

// The peers call the world from the bus's threads while tests read it from
// their own: a positioner moving and polling, the electronics driving and
// reading, and a reader of the records, all at once. The world's time is
// stepped by the moving thread, a second per command, so every move has ended
// by its poll however slowly the threads run.
TEST(WorldConcurrency, PeersAndReadersShareTheWorld) {
    WorldConfiguration configuration;
    const auto clock = std::make_shared<SteppedWorldClock>();
    configuration.clock = clock;
    configuration.start = WorldPoint{0.0, 0.0, 1000.0};
    configuration.surface = SimulatedSurface::plane(900.0, 0.001);
    const auto world = std::make_shared<InstrumentWorld>(configuration);
    SimulatedGenericPositioner positioner(world);
    SimulatedElectronics electronics(SimulatedElectronics::Generation::redesign2016);
    attachElectronics(world, electronics);

    std::atomic<bool> done{false};
    std::thread moving([&] {
        RecordingSerialPort port{SerialLineSettings{.baudRate = 57600}};
        for (int i = 0; i < 200; ++i) {
            const std::string move = "M X " + std::to_string(i % 7 * 100) + "\rM Z " +
                                     std::to_string(850 + i % 5 * 20) + "\rS\r";
            positioner.receive(std::vector<std::uint8_t>(move.begin(), move.end()), port);
            clock->advance(std::chrono::seconds(1));
            positioner.receive(std::vector<std::uint8_t>{'P', '\r'}, port);
            port.take();
        }
        done = true;
    });
    std::thread driving([&] {
        RecordingSerialPort port{SerialLineSettings{.baudRate = 115200}};
        while (!done) {
            electronics.receive(std::vector<std::uint8_t>{'g', 'w', 0x04, 0x00, 'P', 'w', 0x00, 0x00, 'i'}, port);
            port.take();
        }
    });
    std::size_t drives = 0;
    while (!done) {
        drives = world->dispenserDrives().size();
        world->deepestPress();
        world->tipPosition();
    }
    moving.join();
    driving.join();
    detachElectronics(electronics);
    EXPECT_GE(world->dispenserDrives().size(), drives);
    EXPECT_GT(world->deepestPress(), 0.0);
}
