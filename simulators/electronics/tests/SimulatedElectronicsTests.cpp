#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simulators/electronics/SimulatedElectronics.hpp"
#include "simulators/peers/tests/RecordingSerialPort.hpp"

using namespace Simulators;
using Bytes = std::vector<std::uint8_t>;
using Generation = SimulatedElectronics::Generation;
using Kind = SimulatedElectronics::Command::Kind;
using StatusPoint = SimulatedElectronics::StatusPoint;

namespace {

class SimulatedElectronicsTest : public testing::Test {
  protected:
    Bytes send(SimulatedElectronics& electronics, const Bytes& bytes) {
        electronics.receive(bytes, port);
        return port.take();
    }
    Bytes send(SimulatedElectronics& electronics, const std::string& text) {
        return send(electronics, Bytes(text.begin(), text.end()));
    }

    static std::vector<Kind> kinds(const SimulatedElectronics& electronics) {
        std::vector<Kind> result;
        for (const auto& command : electronics.commands()) {
            result.push_back(command.kind);
        }
        return result;
    }

    RecordingSerialPort port{SerialLineSettings{.baudRate = 115200}};
    SimulatedElectronics original{Generation::originalDesign};
    SimulatedElectronics redesign{Generation::redesign2016};
};

} // namespace

TEST_F(SimulatedElectronicsTest, CommandsArrivingByteByByteAreAnsweredOnceComplete) {
    const Bytes command{'F', 0x00, 0xC3, 0x50, 0x00, 'w', 0x08, 0x00, 'g'};
    Bytes replies;
    for (std::uint8_t byte : command) {
        const Bytes reply = send(original, Bytes{byte});
        replies.insert(replies.end(), reply.begin(), reply.end());
    }
    EXPECT_EQ(replies, (Bytes{'F', 'w', 'g'}));
    EXPECT_DOUBLE_EQ(original.frequencyHz(), 400000.0);
    EXPECT_DOUBLE_EQ(original.voltage(), 10.0);
    EXPECT_EQ(original.relay(), SimulatedElectronics::RelayPosition::waveformGenerator);
}

TEST_F(SimulatedElectronicsTest, OriginalStatusSetUpAndReading) {
    Bytes setUp{'S'};
    for (std::uint8_t i = 0; i < 5; ++i) {
        // 200 kHz + i x 50 kHz at the 4,194,304 Hz clock is (200 + 50 i) x 32000.
        const std::uint32_t word = (200 + 50 * i) * 32000u;
        setUp.insert(setUp.end(),
                     {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
                      static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word),
                      static_cast<std::uint8_t>(i + 1)});
    }
    EXPECT_EQ(send(original, setUp), Bytes{'S'});
    const auto points = original.state().statusPoints;
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[0], (StatusPoint{200000.0, 1}));
    EXPECT_EQ(points[4], (StatusPoint{400000.0, 5}));
    EXPECT_EQ(send(original, Bytes{'s'}).size(), 1300u);
    EXPECT_EQ(send(original, Bytes{'d', 0, 'q'}).size(), 1u + 260u);
}

TEST_F(SimulatedElectronicsTest, RedesignStatusSetUpText) {
    EXPECT_EQ(send(redesign, "S200000250000300000350000400000"), Bytes({'S', '\r', '\n'}));
    EXPECT_EQ(redesign.state().statusPoints[1], (StatusPoint{250000.0, 0}));
    EXPECT_EQ(send(redesign, Bytes{'P'}).size(), 30u);
    // A text broken off by another byte is refused, and that byte is a command of its own.
    EXPECT_EQ(send(redesign, "S12345g"), Bytes({'E', '\r', '\n', 'g'}));
    EXPECT_EQ(redesign.state().statusPoints[1], (StatusPoint{250000.0, 0}));
}

TEST_F(SimulatedElectronicsTest, EachGenerationKnowsOnlyItsOwnCommands) {
    EXPECT_EQ(send(redesign, Bytes{'q', 'd', 's', 0x01}), Bytes{});
    EXPECT_EQ(kinds(redesign),
              (std::vector<Kind>{Kind::unknown, Kind::unknown, Kind::unknown, Kind::unknown}));
    EXPECT_EQ(send(original, Bytes{'p', 'P', '\r'}), Bytes{});
    EXPECT_EQ(kinds(original), (std::vector<Kind>{Kind::unknown, Kind::unknown, Kind::unknown}));
    EXPECT_EQ(send(redesign, Bytes{'p'}).size(), 401u * 6u);
    EXPECT_EQ(send(redesign, Bytes{'\r'}), Bytes({'\r', '\n'}));
    const Bytes identification = send(original, Bytes{'v'});
    EXPECT_EQ(identification.back(), '\r');
    EXPECT_FALSE(std::string(identification.begin(), identification.end()).ends_with("0.8.2.2\r"));
}

TEST_F(SimulatedElectronicsTest, SeededNoiseRepeats) {
    original.setMeasurementNoise(5.0, 0.0, 42);
    const Bytes first = send(original, Bytes{'q'});
    original.setMeasurementNoise(5.0, 0.0, 42);
    EXPECT_EQ(send(original, Bytes{'q'}), first);
    EXPECT_NE(send(original, Bytes{'q'}), first);
}
