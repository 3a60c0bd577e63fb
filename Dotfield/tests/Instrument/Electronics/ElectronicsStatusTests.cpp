#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "Dotfield/Instrument/DispenserStatus/NoiseCalculationArrays.hpp"
#include "Dotfield/Instrument/DispenserStatus/OriginalDesignStatusCommands.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatusCheck.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/tests/Instrument/Electronics/ElectronicsObjectFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield::testing {
namespace {

using Simulators::DispenserImpedanceModel;
using Simulators::ReplyFault;
using Simulators::SimulatedDispenserState;
using Kind = Simulators::SimulatedElectronics::Command::Kind;
using Status = DispenserConnectionStatus;

class ElectronicsStatus : public ElectronicsObjectFixture {
protected:
    // Records what the sensor-signal observer receives.
    void observe() {
        object->setSensorSignalUpdateObserver([this](const DispenserStatusReading& reading,
                                                     const DispenserStatistics& statistics) {
            observedReadings.push_back(reading);
            observedStatistics.push_back(statistics);
        });
    }

    DispenserStatusReading readStatus() {
        return performOnQueueSync([&] { return object->readStatus(); }, *object);
    }

    std::vector<DispenserStatusReading> observedReadings;
    std::vector<DispenserStatistics> observedStatistics;
};

TEST_P(ElectronicsStatus, WithoutStatisticsTheDispenserIsDisconnectedAndNothingIsSent) {
    observe();
    EXPECT_EQ(check(false), Status::disconnected);
    EXPECT_EQ(check(true), Status::disconnected);
    EXPECT_TRUE(electronics->bytesFromHost().empty());
    EXPECT_TRUE(observedReadings.empty());
    EXPECT_FALSE(store->object("averageForNoiseCalculationArray"));
}

TEST_P(ElectronicsStatus, EachDispenserStateGivesItsStatus) {
    electronics->setMeasurementNoise(2.0, 0.002, 7);
    std::vector<double> progress;
    const auto statistics = performOnQueueSync(
        [&] {
            return performStatisticalSamplingOfImpedances(points, *object,
                                                          [&](double fraction) { progress.push_back(fraction); });
        },
        *object);
    object->setDispenserStatistics(statistics);

    ASSERT_EQ(progress.size(), 30u);
    for (std::size_t k = 0; k < progress.size(); ++k) {
        EXPECT_DOUBLE_EQ(progress[k], static_cast<double>(k) / 30.0);
    }
    EXPECT_EQ(commandCount(Kind::statusReading), 30u);
    for (std::size_t i = 0; i < 5; ++i) {
        const double hertz = points[i].frequency.value(Zovudidova::FrequencyUnit::hertz);
        EXPECT_NEAR(statistics[i].averageImpedanceMagnitude, freeDispenser.magnitudeAt(hertz),
                    0.01 * freeDispenser.magnitudeAt(hertz));
        EXPECT_GT(statistics[i].standardDeviation, 0.0);
        EXPECT_LT(statistics[i].standardDeviation, 5.0);
        EXPECT_EQ(statistics[i].measurementSettings, points[i]);
    }

    struct Case {
        SimulatedDispenserState state;
        Status expected;
    };
    for (const auto& c : {Case{SimulatedDispenserState::offSurface, Status::connectedAndOffSurface},
                          Case{SimulatedDispenserState::onSurface, Status::connectedAndOnSurface},
                          Case{SimulatedDispenserState::shorted, Status::shortCircuit},
                          Case{SimulatedDispenserState::disconnected, Status::disconnected},
                          Case{SimulatedDispenserState::offSurface, Status::connectedAndOffSurface}}) {
        putDispenser(c.state);
        EXPECT_EQ(check(true), c.expected) << static_cast<int>(c.state);
    }

    // A dispenser that barely touches the surface deviates moderately: 5 % of
    // a flat 500 against a deviation of 10 at every point.
    freeDispenser = DispenserImpedanceModel::flat(500.0);
    putDispenser(SimulatedDispenserState::offSurface);
    auto flat = sample();
    for (auto& point : flat) {
        point.standardDeviation = 10.0;
    }
    object->setDispenserStatistics(flat);
    putDispenser(SimulatedDispenserState::onSurface, 0.1);
    EXPECT_EQ(check(true), Status::connectedAndMiscalibrated);
}

TEST_P(ElectronicsStatus, SetUpProgramsTheFivePoints) {
    sample();
    const auto programmed = electronics->state().statusPoints;
    ASSERT_EQ(programmed.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(programmed[i].frequencyHz, points[i].frequency.value(Zovudidova::FrequencyUnit::hertz), 1.0);
        if (GetParam() == Generation::originalDesign) {
            EXPECT_EQ(programmed[i].delay, points[i].delay == 0 ? 1 : points[i].delay);
        }
    }
}

TEST_P(ElectronicsStatus, AReadingOffTheSurfaceMovesTheAveragesAndEveryUpdateIsKept) {
    observe();
    sample();
    const DispenserStatusReading reading = readStatus();
    // Averages 100 below the readings with a deviation of 100: off the surface.
    DispenserStatistics reference = sample();
    for (std::size_t i = 0; i < 5; ++i) {
        reference[i].averageImpedanceMagnitude = reading[i].magnitude - 100.0;
        reference[i].standardDeviation = 100.0;
    }
    object->setDispenserStatistics(reference);

    EXPECT_EQ(check(false), Status::connectedAndOffSurface);
    DispenserStatistics moved = reference;
    for (std::size_t i = 0; i < 5; ++i) {
        moved[i].averageImpedanceMagnitude = 0.9 * reference[i].averageImpedanceMagnitude + 0.1 * reading[i].magnitude;
        EXPECT_NEAR(moved[i].averageImpedanceMagnitude, reading[i].magnitude - 90.0, 1e-9);
    }
    ASSERT_EQ(observedReadings.size(), 1u);
    EXPECT_EQ(observedReadings[0], reading);
    EXPECT_EQ(observedStatistics[0], moved);
    EXPECT_EQ(object->dispenserStatistics(), moved);
    EXPECT_EQ(loadNoiseCalculationArrays(*store), moved);

    // Any other status keeps the averages, but still reports and stores them.
    putDispenser(SimulatedDispenserState::shorted);
    EXPECT_EQ(check(false), Status::shortCircuit);
    ASSERT_EQ(observedStatistics.size(), 2u);
    EXPECT_EQ(observedStatistics[1], moved);
    EXPECT_EQ(object->dispenserStatistics(), moved);
    EXPECT_EQ(loadNoiseCalculationArrays(*store), moved);

    // A status-only check changes nothing and tells nobody.
    store->setDoubleArray(std::nullopt, "averageForNoiseCalculationArray");
    putDispenser(SimulatedDispenserState::offSurface);
    EXPECT_EQ(check(true), Status::connectedAndOffSurface);
    EXPECT_EQ(observedStatistics.size(), 2u);
    EXPECT_EQ(object->dispenserStatistics(), moved);
    EXPECT_FALSE(store->object("averageForNoiseCalculationArray"));
}

TEST_P(ElectronicsStatus, OneFailedReadingIsRetriedAndASecondIsReported) {
    electronics->setMeasurementNoise(2.0, 0.002, 11);
    object->setDispenserStatistics(sample());
    observe();

    electronics->queueReplyFault(ReplyFault::cutShort(10));
    EXPECT_EQ(check(false), Status::connectedAndOffSurface);
    EXPECT_EQ(observedReadings.size(), 1u);

    const auto before = object->dispenserStatistics();
    store->setDoubleArray(std::nullopt, "averageForNoiseCalculationArray");
    struct Case {
        ReplyFault fault;
        ElectronicsErrorKind expected;
    };
    // A short reply and one that never comes are both noise on the line.
    for (const auto& c : {Case{ReplyFault::cutShort(10), ElectronicsErrorKind::unrecoverableCommunicationNoise},
                          Case{ReplyFault::drop(), ElectronicsErrorKind::unrecoverableCommunicationNoise}}) {
        electronics->queueReplyFault(c.fault);
        electronics->queueReplyFault(c.fault);
        const auto error = errorThrownBy<ElectronicsError>([&] { check(false); });
        EXPECT_EQ(error.kind(), c.expected);
    }
    EXPECT_EQ(observedReadings.size(), 1u);
    EXPECT_EQ(object->dispenserStatistics(), before);
    EXPECT_FALSE(store->object("averageForNoiseCalculationArray"));
    EXPECT_EQ(check(true), Status::connectedAndOffSurface) << "the link works again";

    // Pulled cable: the driver calls fail.
    electronics->unplug();
    EXPECT_EQ(errorThrownBy<ElectronicsError>([&] { check(false); }).kind(),
              ElectronicsErrorKind::electronicsDisconnected);
    EXPECT_EQ(observedReadings.size(), 1u);
}

TEST_P(ElectronicsStatus, SamplingStopsWhenTheSetUpFailsTwice) {
    electronics->queueReplyFault(ReplyFault::corrupt(0));
    electronics->queueReplyFault(ReplyFault::corrupt(0));
    int progressCalls = 0;
    const auto error = errorThrownBy<ElectronicsError>([&] {
        performOnQueueSync(
            [&] { return performStatisticalSamplingOfImpedances(points, *object, [&](double) { ++progressCalls; }); },
            *object);
    });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::unrecoverableCommunicationNoise);
    EXPECT_EQ(progressCalls, 0);
    EXPECT_EQ(commandCount(Kind::statusReading), 0u);
}

TEST_P(ElectronicsStatus, MiscalibrationQuery) {
    EXPECT_EQ(errorThrownBy<ElectronicsError>([&] { dispenserIsMiscalibrated(*object); }).kind(),
              ElectronicsErrorKind::dispenserDisconnectedMidOperation);

    object->setDispenserStatistics(sample());
    EXPECT_FALSE(dispenserIsMiscalibrated(*object));
    putDispenser(SimulatedDispenserState::onSurface);
    EXPECT_TRUE(dispenserIsMiscalibrated(*object));
    EXPECT_EQ(commandCount(Kind::statusReading), 30u + 1u + 2u);
    for (auto state : {SimulatedDispenserState::disconnected, SimulatedDispenserState::shorted}) {
        putDispenser(state);
        EXPECT_EQ(errorThrownBy<ElectronicsError>([&] { dispenserIsMiscalibrated(*object); }).kind(),
                  ElectronicsErrorKind::dispenserDisconnectedMidOperation);
    }
}

TEST_P(ElectronicsStatus, WithoutALinkTheElectronicsAreDisconnected) {
    object->setDispenserStatistics(sample());
    object->setSerialPort(nullptr);
    EXPECT_EQ(errorThrownBy<ElectronicsError>([&] { check(false); }).kind(),
              ElectronicsErrorKind::electronicsDisconnected);
    EXPECT_EQ(errorThrownBy<ElectronicsError>([&] { object->startDispensing(); }).kind(),
              ElectronicsErrorKind::electronicsDisconnected);
}

INSTANTIATE_TEST_SUITE_P(Generations, ElectronicsStatus,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);

} // namespace
} // namespace Dotfield::testing

namespace Dotfield::testing {
namespace {

using Simulators::ReplyFault;
using Kind = Simulators::SimulatedElectronics::Command::Kind;

class OriginalDesignStatusCommands : public SimulatedElectronicsFixture {
protected:
    std::size_t commandCount(Kind kind) const {
        std::size_t count = 0;
        for (const auto k : commandKinds()) {
            count += k == kind ? 1 : 0;
        }
        return count;
    }
};

TEST_F(OriginalDesignStatusCommands, SetUpBytesAndEcho) {
    const DispenserStatusPoints points{{
        {Zovudidova::kilohertz(400.0), 12},
        {Zovudidova::kilohertz(460.0), 0},
        {Zovudidova::kilohertz(400.0), 255},
        {Zovudidova::kilohertz(460.0), 1},
        {Zovudidova::kilohertz(400.0), 2},
    }};
    initializeImpedanceStatusCheck(points, *port);
    const std::vector<std::uint8_t> expected{0x53, 0x00, 0xC3, 0x50, 0x00, 12, 0x00, 0xE0, 0x9C, 0x00, 1,
                                             0x00, 0xC3, 0x50, 0x00, 255, 0x00, 0xE0, 0x9C, 0x00, 1,
                                             0x00, 0xC3, 0x50, 0x00, 2};
    EXPECT_EQ(electronics->bytesFromHost(), expected);

    // A wrong echo and a short reply are noise; neither is tried again here.
    electronics->queueReplyFault(ReplyFault::corrupt(0, 0x01));
    EXPECT_EQ(errorThrownBy<ElectronicsError>([&] { initializeImpedanceStatusCheck(points, *port); }).kind(),
              ElectronicsErrorKind::unrecoverableCommunicationNoise);
    electronics->unplug();
    EXPECT_EQ(errorThrownBy<ElectronicsError>([&] { initializeImpedanceStatusCheck(points, *port); }).kind(),
              ElectronicsErrorKind::electronicsDisconnected);
    EXPECT_EQ(commandCount(Kind::statusSetup), 2u);
}

TEST(OriginalDesignStatusReply, DecodesFiveBlocksAndRefusesOtherLengths) {
    // Block i: channel 1 a sine of amplitude 1000, channel 2 of amplitude 100 x (i + 1).
    std::vector<std::uint8_t> reply;
    for (int point = 0; point < 5; ++point) {
        for (double amplitude : {1000.0, 100.0 * (point + 1)}) {
            for (int k = 0; k < 65; ++k) {
                const auto sample = static_cast<std::uint16_t>(
                    std::lround(32768.0 + amplitude * std::sin(2.0 * 3.14159265358979 * k / 65.0)));
                reply.push_back(static_cast<std::uint8_t>(sample >> 8));
                reply.push_back(static_cast<std::uint8_t>(sample & 0xFF));
            }
        }
    }
    const auto reading = decodeImpedanceStatusReply(reply);
    for (int point = 0; point < 5; ++point) {
        EXPECT_NEAR(reading[point].magnitude, 100.0 * (point + 1), 1.0) << point;
        EXPECT_EQ(reading[point].phase, 0.0);
    }
    reply.pop_back();
    EXPECT_EQ(errorThrownBy<CommunicationsError>([&] { decodeImpedanceStatusReply(reply); }),
              CommunicationsError::wrongByteCount(1300, 1299));
}

} // namespace
} // namespace Dotfield::testing
