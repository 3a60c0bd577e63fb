#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/ElectronicsExchange.hpp"
#include "Dotfield/Instrument/Electronics/ImpedanceRecord.hpp"
#include "Dotfield/Instrument/Electronics/RedesignedImpedanceMeasurement.hpp"
#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "Dotfield/tests/Support/SimulatedElectronicsFixture.hpp"

using namespace Dotfield;
using namespace std::chrono_literals;
using Simulators::DispenserImpedanceModel;
using Simulators::ReplyFault;
using Simulators::SimulatedElectronics;
using Zovudidova::kilohertz;
using Bytes = std::vector<std::uint8_t>;
using Kind = SimulatedElectronics::Command::Kind;

namespace {

// A 401-point sweep is many bytes on the line: on a stepped clock they take
// world time, not the machine's.
class RedesignedElectronicsTest : public RedesignedElectronicsFixture {
  protected:
    RedesignedElectronicsTest() : RedesignedElectronicsFixture(std::make_shared<Simulators::SteppedWorldClock>()) {}

    // A command after a sweep gets its own reply, not a stale record byte.
    void expectCleanCommand() {
        EXPECT_NO_THROW(setElectronicsRelayState(ElectronicsRelayState::waveformGeneratorState, *port));
        EXPECT_EQ(electronics->relay(), SimulatedElectronics::RelayPosition::waveformGenerator);
    }

    static constexpr std::array<Zovudidova::Frequency, 5> statusPoints{
        kilohertz(250.0), kilohertz(300.0), kilohertz(350.0), kilohertz(400.0), kilohertz(450.0)};
};

class OriginalElectronicsIdentificationTest : public SimulatedElectronicsFixture {};

} // namespace

TEST_F(OriginalElectronicsIdentificationTest, OriginalElectronicsAreRecognised) {
    EXPECT_EQ(determineElectronicsHardwareGeneration(*port), ElectronicsHardwareGeneration::originalDesign);
    EXPECT_EQ(commandKinds(), (std::vector<Kind>{Kind::identify}));
}

TEST_F(RedesignedElectronicsTest, IdentificationTextDecidesTheGeneration) {
    const struct {
        std::string text;
        ElectronicsHardwareGeneration generation;
    } cases[] = {
        {SimulatedElectronics::defaultIdentificationText(SimulatedElectronics::Generation::redesign2016),
         ElectronicsHardwareGeneration::redesign2016},
        {"0.8.2.2\r", ElectronicsHardwareGeneration::redesign2016},
        {"Dotfield drive electronics 0.8.2.1\r", ElectronicsHardwareGeneration::originalDesign},
        {"0.8.2.2 \r", ElectronicsHardwareGeneration::originalDesign},
        {"\xC3\x28 0.8.2\r", ElectronicsHardwareGeneration::originalDesign},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        electronics->setIdentificationText(c.text);
        EXPECT_EQ(determineElectronicsHardwareGeneration(*port), c.generation);
    }
}

TEST_F(RedesignedElectronicsTest, FallBackReadsTheIdentificationAsALine) {
    // A reply with a line feed after its carriage return never ends the first
    // read; after the wait the command line is cleared and the identification
    // read up to its line feed, which is not part of the version test.
    const struct {
        std::string text;
        ElectronicsHardwareGeneration generation;
    } cases[] = {
        {"Dotfield drive electronics 0.8.2.2\r\n", ElectronicsHardwareGeneration::redesign2016},
        {"Dotfield drive electronics 0.8.2.1\r\n", ElectronicsHardwareGeneration::originalDesign},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        electronics->clearCommands();
        electronics->setIdentificationText(c.text);
        EXPECT_EQ(determineElectronicsHardwareGeneration(*port), c.generation);
        EXPECT_EQ(commandKinds(), (std::vector<Kind>{Kind::identify, Kind::lineReset, Kind::identify}));
    }
}

TEST_F(RedesignedElectronicsTest, FallBackAfterALostReply) {
    electronics->queueReplyFault(ReplyFault::drop());
    electronics->setIdentificationText("Dotfield drive electronics 0.8.2.2\r\n");
    EXPECT_EQ(determineElectronicsHardwareGeneration(*port), ElectronicsHardwareGeneration::redesign2016);
    // Silence on the fall-back path too is the link's error, and so are
    // writes that fail on both paths.
    electronics->goSilent();
    EXPECT_THROW(determineElectronicsHardwareGeneration(*port), CommunicationsError);
    electronics->unplug();
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { determineElectronicsHardwareGeneration(*port); }),
              CommunicationsError::failedStatusCheck());
}

TEST_F(RedesignedElectronicsTest, FullSweepOf401Points) {
    electronics->setDispenser(DispenserImpedanceModel::typicalDispenser());
    const auto model = DispenserImpedanceModel::typicalDispenser();
    std::vector<double> reported;
    const auto measurements =
        performImpedanceScanPV(*port, [&](const Zovudidova::Frequency& f, double magnitude) {
            EXPECT_DOUBLE_EQ(f.value(Zovudidova::FrequencyUnit::kilohertz),
                             200.0 + static_cast<double>(reported.size()));
            reported.push_back(magnitude);
            return true;
        });
    ASSERT_EQ(measurements.size(), 401u);
    EXPECT_EQ(reported.size(), 401u);
    EXPECT_EQ(measurements.front().measurementSettings, (ImpedanceCalibrationValue{kilohertz(200.0), 0}));
    EXPECT_EQ(measurements.back().measurementSettings, (ImpedanceCalibrationValue{kilohertz(600.0), 0}));
    for (std::size_t k = 0; k < measurements.size(); k += 20) {
        SCOPED_TRACE(k);
        const double hertz = 200000.0 + 1000.0 * static_cast<double>(k);
        // Records carry the components in thousandths.
        EXPECT_NEAR(measurements[k].magnitude, model.magnitudeAt(hertz), 0.002);
        EXPECT_NEAR(measurements[k].phase, std::arg(model.impedanceAt(hertz)), 1e-4);
        EXPECT_EQ(measurements[k].magnitude, reported[k]);
    }
    expectCleanCommand();
}

TEST_F(RedesignedElectronicsTest, AbortedSweepLeavesNothingBehindForTheNextCommand) {
    // The records keep coming after the abort.
    electronics->setSweepRecordInterval(100us);
    int points = 0;
    const auto error = errorThrownBy<ElectronicsError>([&] {
        performImpedanceScanPV(*port, [&](const Zovudidova::Frequency&, double) { return ++points < 3; });
    });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::abortedByUser);
    EXPECT_EQ(points, 3);
    expectCleanCommand();
}

TEST_F(RedesignedElectronicsTest, SweepFailingPartWayIsThrownAndDrained) {
    // Record 100 and the rest come 3 s after the command: too late for the
    // read, which gives up 2 s after it starts, but while the drain still waits
    // for them (another 2 s). The read may start up to a second late on a
    // loaded machine and the reply still falls between the two.
    auto timing = shortTiming();
    timing.readTimeoutMilliseconds = 250;
    timing.bufferedBytesWait = 2000ms;
    reopenPort(timing);
    for (int i = 0; i < 100; ++i) {
        electronics->queueReplyFault(ReplyFault::pass());
    }
    electronics->queueReplyFault(ReplyFault::delayBy(3000ms));
    int points = 0;
    const auto error = errorThrownBy<CommunicationsError>([&] {
        performImpedanceScanPV(*port, [&](const Zovudidova::Frequency&, double) { return ++points > 0; });
    });
    EXPECT_EQ(error, CommunicationsError::wrongByteCount(6, 0));
    EXPECT_EQ(points, 100);
    expectCleanCommand();
}

TEST_F(RedesignedElectronicsTest, StatusSetUpTextAndStatusReading) {
    initializeImpedanceStatusCheckPV(statusPoints, *port);
    const Bytes sent = electronics->bytesFromHost();
    EXPECT_EQ(std::string(sent.begin(), sent.end()), "S250000300000350000400000450000");
    ASSERT_EQ(electronics->commands().size(), 1u);
    const auto points = electronics->commands().front().statusPoints;
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[3].frequencyHz, 400000.0);

    // The 30-byte reading at those points.
    electronics->setDispenser(DispenserImpedanceModel::typicalDispenser());
    writeElectronicsCommand({0x50}, *port);
    const auto impedances = decodeImpedanceReplyPV(readElectronicsReply(30, *port));
    for (std::size_t i = 0; i < impedances.size(); ++i) {
        EXPECT_NEAR(impedances[i].magnitude, electronics->dispenser().magnitudeAt(points[i].frequencyHz),
                    0.002);
    }
}

TEST_F(RedesignedElectronicsTest, StatusSetUpRefusedOrLost) {
    // Answered "E\r\n" in place of "S\r\n".
    electronics->queueReplyFault(ReplyFault::corrupt(0, 'S' ^ 'E'));
    auto error =
        errorThrownBy<ElectronicsError>([&] { initializeImpedanceStatusCheckPV(statusPoints, *port); });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::unrecoverableCommunicationNoise);

    electronics->goSilent();
    error = errorThrownBy<ElectronicsError>([&] { initializeImpedanceStatusCheckPV(statusPoints, *port); });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::electronicsDisconnected);
}
