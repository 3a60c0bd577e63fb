#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/ImpedanceMeasurementCommands.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "Dotfield/tests/Support/SimulatedElectronicsFixture.hpp"

using namespace Dotfield;
using Simulators::DispenserImpedanceModel;
using Simulators::ReplyFault;
using Zovudidova::kilohertz;
using Bytes = std::vector<std::uint8_t>;
using Kind = Simulators::SimulatedElectronics::Command::Kind;

namespace {

class ImpedanceMeasurementTest : public SimulatedElectronicsFixture {};
class RedesignedFrequencyTest : public RedesignedElectronicsFixture {};

} // namespace

TEST_F(ImpedanceMeasurementTest, FrequencyRegisterOnTheWire) {
    setImpedanceMeasurementFrequency(kilohertz(400.0), *port, ElectronicsHardwareGeneration::originalDesign);
    EXPECT_EQ(electronics->bytesFromHost(), (Bytes{0x46, 0x00, 0xC3, 0x50, 0x00}));
    EXPECT_DOUBLE_EQ(electronics->frequencyHz(), 400000.0);
}

TEST_F(RedesignedFrequencyTest, FrequencyRegisterOnTheWire) {
    setImpedanceMeasurementFrequency(kilohertz(400.0), *port, ElectronicsHardwareGeneration::redesign2016);
    EXPECT_EQ(electronics->bytesFromHost(), (Bytes{0x46, 0x00, 0xDE, 0x38, 0xE4}));
    EXPECT_NEAR(electronics->frequencyHz(), 400000.0, 0.1);
}

TEST_F(ImpedanceMeasurementTest, DelayZeroIsSentAsOne) {
    for (std::uint8_t delay : {0, 1, 200, 255}) {
        setImpedanceMeasurementDelay(delay, *port);
        EXPECT_EQ(electronics->state().delay, delay == 0 ? 1 : delay);
    }
    EXPECT_EQ(electronics->bytesFromHost(), (Bytes{0x64, 1, 0x64, 1, 0x64, 200, 0x64, 255}));
}

TEST_F(ImpedanceMeasurementTest, WrongEchoFailsTheSetCommands) {
    electronics->queueReplyFault(ReplyFault::corrupt(0, 0x01));
    const auto error = errorThrownBy<CommunicationsError>([&] {
        setImpedanceMeasurementFrequency(kilohertz(460.0), *port,
                                         ElectronicsHardwareGeneration::originalDesign);
    });
    EXPECT_EQ(error, CommunicationsError::corruptedResponse({0x46}, {0x47}));
    electronics->queueReplyFault(ReplyFault::corrupt(0, 0x01));
    EXPECT_THROW(setImpedanceMeasurementDelay(3, *port), CommunicationsError);
}

TEST_F(ImpedanceMeasurementTest, MeasuresTheModelledImpedance) {
    // Magnitudes within 1 % of the dispenser model, with seeded sample noise of
    // 2 counts on a 3000-count reference.
    electronics->setDispenser(DispenserImpedanceModel::typicalDispenser());
    electronics->setMeasurementNoise(2.0, 0.0, 7);
    const auto model = DispenserImpedanceModel::typicalDispenser();
    for (double kHz : {200.0, 300.0, 380.0, 460.0, 600.0}) {
        SCOPED_TRACE(kHz);
        const Impedance impedance = measureImpedanceAtFrequency(kilohertz(kHz), 5, *port);
        const double expected = model.magnitudeAt(kHz * 1000.0);
        EXPECT_NEAR(impedance.magnitude, expected, expected * 0.01);
        EXPECT_EQ(impedance.phase, 0.0);
    }
    EXPECT_EQ(electronics->state().delay, 5);
    EXPECT_DOUBLE_EQ(electronics->frequencyHz(), 600000.0);
}

TEST_F(ImpedanceMeasurementTest, EachStepIsRetriedOnceThenReportedAsAnElectronicsError) {
    const struct {
        const char* name;
        std::vector<ReplyFault> faults; // for the replies to 'd', 'F', 'q' and their repeats
        std::optional<ElectronicsErrorKind> outcome;
        std::size_t commandsSent;
    } cases[] = {
        {"delay echo wrong once", {ReplyFault::corrupt(0)}, std::nullopt, 4},
        {"frequency echo wrong twice",
         {ReplyFault::pass(), ReplyFault::corrupt(0), ReplyFault::corrupt(0)},
         ElectronicsErrorKind::unrecoverableCommunicationNoise,
         3},
        {"block lost once", {ReplyFault::pass(), ReplyFault::pass(), ReplyFault::drop()}, std::nullopt, 4},
        // Nothing within the read and the wait is a wrong byte count on this link.
        {"block lost twice",
         {ReplyFault::pass(), ReplyFault::pass(), ReplyFault::drop(), ReplyFault::drop()},
         ElectronicsErrorKind::unrecoverableCommunicationNoise,
         4},
        {"block cut short twice",
         {ReplyFault::pass(), ReplyFault::pass(), ReplyFault::cutShort(100), ReplyFault::cutShort(259)},
         ElectronicsErrorKind::unrecoverableCommunicationNoise,
         4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        electronics->clearCommands();
        for (const auto& fault : c.faults) {
            electronics->queueReplyFault(fault);
        }
        if (c.outcome) {
            const auto error = errorThrownBy<ElectronicsError>(
                [&] { measureImpedanceAtFrequency(kilohertz(400.0), 1, *port); });
            EXPECT_EQ(error.kind(), *c.outcome);
        } else {
            EXPECT_NEAR(measureImpedanceAtFrequency(kilohertz(400.0), 1, *port).magnitude,
                        electronics->dispenser().magnitudeAt(400000.0), 5.0);
        }
        EXPECT_EQ(electronics->commands().size(), c.commandsSent);
        electronics->clearFaults();
    }
}

TEST_F(ImpedanceMeasurementTest, FlatReferenceChannelIsRetriedThenReportedAsNoise) {
    electronics->setReferenceAmplitude(0.0);
    const auto error =
        errorThrownBy<ElectronicsError>([&] { measureImpedanceAtFrequency(kilohertz(400.0), 1, *port); });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::unrecoverableCommunicationNoise);
    EXPECT_EQ(commandKinds(),
              (std::vector<Kind>{Kind::setDelay, Kind::setFrequency, Kind::measure, Kind::measure}));
}

TEST_F(ImpedanceMeasurementTest, UnpluggedElectronicsAreDisconnected) {
    electronics->unplug();
    const auto error =
        errorThrownBy<ElectronicsError>([&] { measureImpedanceAtFrequency(kilohertz(400.0), 1, *port); });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::electronicsDisconnected);
}

TEST_F(ImpedanceMeasurementTest, BadFrequencyIsRefusedBeforeAnythingIsSent) {
    EXPECT_THROW(measureImpedanceAtFrequency(kilohertz(-1.0), 1, *port), std::out_of_range);
    EXPECT_THROW(setImpedanceMeasurementFrequency(kilohertz(200000.0), *port,
                                                  ElectronicsHardwareGeneration::originalDesign),
                 std::out_of_range);
    EXPECT_TRUE(electronics->bytesFromHost().empty());
}
