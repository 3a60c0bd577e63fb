#include <any>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/DispenserNotifications.hpp"
#include "Dotfield/Instrument/Electronics/FrequencyRegister.hpp"
#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"
#include "Dotfield/tests/Support/SimulatedElectronicsFixture.hpp"

using namespace Dotfield;
using namespace std::chrono_literals;
using Simulators::ReplyFault;
using Simulators::SimulatedElectronics;
using Zovudidova::kilohertz;
using Zovudidova::seconds;
using Command = SimulatedElectronics::Command;
using Kind = Command::Kind;
using Relay = SimulatedElectronics::RelayPosition;

namespace {

// What observers of the drive notifications saw, and on which thread.
class DriveObserver {
  public:
    DriveObserver() {
        auto& center = NotificationCenter::defaultCenter();
        tokens_[0] =
            center.addObserver(dispenserFrequencyChangeNotification(), [this](const Notification& n) {
                record("frequency", std::any_cast<Zovudidova::Frequency>(n.object).value(
                                        Zovudidova::FrequencyUnit::kilohertz));
            });
        tokens_[1] = center.addObserver(dispenserVoltageChangeNotification(), [this](const Notification& n) {
            record("voltage", std::any_cast<double>(n.object));
        });
    }
    ~DriveObserver() {
        for (auto token : tokens_) {
            NotificationCenter::defaultCenter().removeObserver(token);
        }
    }

    std::vector<std::pair<std::string, double>> seen;
    bool allOnMainThread = true;

  private:
    void record(std::string name, double value) {
        allOnMainThread = allOnMainThread && MainQueue::main().isCurrent();
        seen.emplace_back(std::move(name), value);
    }

    NotificationCenter::ObserverToken tokens_[2]{};
};

class WaveformGeneratorTest : public SimulatedElectronicsFixture {
  protected:
    std::uint32_t word(double kHz) const {
        return frequencyRegisterWord(kilohertz(kHz), ElectronicsHardwareGeneration::originalDesign);
    }

    // The register words of the 'F' commands the electronics received, in kHz.
    std::vector<double> frequenciesSent() const {
        std::vector<double> kHz;
        for (const auto& command : electronics->commands()) {
            if (command.kind == Kind::setFrequency) {
                kHz.push_back(electronics->frequencyForWord(command.value) / 1000.0);
            }
        }
        return kHz;
    }

    void expectUndriven() const {
        EXPECT_EQ(electronics->voltageCode(), 0);
        EXPECT_EQ(electronics->relay(), Relay::electronics);
    }

    DriveObserver observer;
};

} // namespace

TEST_F(WaveformGeneratorTest, VoltageCodesAtTheElectronics) {
    const struct {
        double volts;
        std::uint16_t code;
    } cases[] = {{0.05, 0}, {0.5, 102}, {10.0, 2048}, {20.0, 4095}, {25.0, 4095}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volts);
        setVoltage(c.volts, *port);
        EXPECT_EQ(electronics->voltageCode(), c.code);
    }
    EXPECT_EQ(electronics->bytesFromHost().size(), 15u);
}

TEST_F(WaveformGeneratorTest, BadDriveValuesAreRefusedBeforeAnythingIsSent) {
    EXPECT_THROW(setVoltage(-0.5, *port), std::out_of_range);
    EXPECT_THROW(activateDispensing(kilohertz(460.0), std::nan(""), *port,
                                    ElectronicsHardwareGeneration::originalDesign),
                 std::out_of_range);
    EXPECT_THROW(
        activateDispensing(kilohertz(-460.0), 0.5, *port, ElectronicsHardwareGeneration::originalDesign),
        std::out_of_range);
    EXPECT_THROW(sprayForDuration(std::nullopt, kilohertz(460.0), 10.0, *port,
                                  ElectronicsHardwareGeneration::originalDesign, kilohertz(20.0),
                                  kilohertz(20.0), {}),
                 std::invalid_argument);
    // A sweep that would reach below 0 Hz.
    EXPECT_THROW(sprayForDuration(std::nullopt, kilohertz(30.0), 10.0, *port,
                                  ElectronicsHardwareGeneration::originalDesign, kilohertz(20.0),
                                  kilohertz(20.0), [] { return true; }),
                 std::out_of_range);
    EXPECT_TRUE(electronics->bytesFromHost().empty());
}

TEST_F(WaveformGeneratorTest, DispensingStartsAndStopsAndIsAnnouncedOnTheMainThread) {
    activateDispensing(kilohertz(460.0), 0.5, *port, ElectronicsHardwareGeneration::originalDesign);
    EXPECT_EQ(electronics->relay(), Relay::waveformGenerator);
    EXPECT_EQ(electronics->voltageCode(), 102);
    EXPECT_DOUBLE_EQ(electronics->frequencyHz(), 460000.0);
    deactivateDispensing(*port);
    expectUndriven();
    EXPECT_EQ(commandKinds(), (std::vector<Kind>{Kind::relayToGenerator, Kind::setVoltage, Kind::setFrequency,
                                                 Kind::setVoltage, Kind::relayToElectronics}));

    // Posted from a worker thread, delivered by the main thread in order.
    std::thread([&] { deactivateDispensing(*port); }).join();
    EXPECT_TRUE(observer.seen.empty());
    mainThread.pump().runPending();
    EXPECT_EQ(observer.seen,
              (std::vector<std::pair<std::string, double>>{
                  {"frequency", 460.0}, {"voltage", 0.5}, {"voltage", 0.0}, {"voltage", 0.0}}));
    EXPECT_TRUE(observer.allOnMainThread);
}

TEST_F(WaveformGeneratorTest, AFailureWhileStartingLeavesTheDispenserUndriven) {
    // The relay answered wrongly: noise, and nothing stays switched on.
    electronics->queueReplyFault(ReplyFault::corrupt(0, 0x02));
    auto error = errorThrownBy<ElectronicsError>([&] {
        activateDispensing(kilohertz(460.0), 12.0, *port, ElectronicsHardwareGeneration::originalDesign);
    });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::unrecoverableCommunicationNoise);
    expectUndriven();

    // The frequency echo lost after the voltage was set: the safe stop sets it back to 0.
    electronics->clearCommands();
    electronics->queueReplyFault(ReplyFault::pass());
    electronics->queueReplyFault(ReplyFault::pass());
    electronics->queueReplyFault(ReplyFault::drop());
    error = errorThrownBy<ElectronicsError>([&] {
        activateDispensing(kilohertz(460.0), 12.0, *port, ElectronicsHardwareGeneration::originalDesign);
    });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::unrecoverableCommunicationNoise);
    expectUndriven();
    EXPECT_EQ(commandKinds(), (std::vector<Kind>{Kind::relayToGenerator, Kind::setVoltage, Kind::setFrequency,
                                                 Kind::setVoltage, Kind::relayToElectronics}));
    mainThread.pump().runPending();
    EXPECT_EQ(observer.seen.back(), (std::pair<std::string, double>{"voltage", 0.0}));
}

TEST_F(WaveformGeneratorTest, UnpluggedElectronicsAreReportedDisconnected) {
    electronics->unplug();
    const auto error = errorThrownBy<ElectronicsError>([&] {
        activateDispensing(kilohertz(460.0), 0.5, *port, ElectronicsHardwareGeneration::originalDesign);
    });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::electronicsDisconnected);
}

TEST_F(WaveformGeneratorTest, SprayWithACancelTestSweepsATriangle) {
    int passes = 0;
    sprayForDuration(std::nullopt, kilohertz(460.0), 10.0, *port,
                     ElectronicsHardwareGeneration::originalDesign, kilohertz(20.0), kilohertz(20.0),
                     [&] { return ++passes > 10; });
    // The centre twice, then the triangle between 420 and 500 kHz.
    EXPECT_EQ(frequenciesSent(),
              (std::vector<double>{460, 460, 480, 500, 480, 460, 440, 420, 440, 460, 480, 500}));
    const auto kinds = commandKinds();
    EXPECT_EQ(std::vector<Kind>(kinds.begin(), kinds.begin() + 3),
              (std::vector<Kind>{Kind::relayToGenerator, Kind::setVoltage, Kind::setFrequency}));
    EXPECT_EQ(std::vector<Kind>(kinds.end() - 2, kinds.end()),
              (std::vector<Kind>{Kind::setVoltage, Kind::relayToElectronics}));
    expectUndriven();
    mainThread.pump().runPending();
    EXPECT_EQ(observer.seen, (std::vector<std::pair<std::string, double>>{
                                 {"frequency", 460.0}, {"voltage", 10.0}, {"voltage", 0.0}}));
}

TEST_F(WaveformGeneratorTest, SprayCancelledAtOnceSetsTheCentreTwiceAndStops) {
    sprayForDuration(std::nullopt, kilohertz(460.0), 10.0, *port,
                     ElectronicsHardwareGeneration::originalDesign, kilohertz(20.0), kilohertz(20.0),
                     [] { return true; });
    EXPECT_EQ(commandKinds(),
              (std::vector<Kind>{Kind::relayToGenerator, Kind::setVoltage, Kind::setFrequency,
                                 Kind::setFrequency, Kind::setVoltage, Kind::relayToElectronics}));
    EXPECT_EQ(frequenciesSent(), (std::vector<double>{460, 460}));
}

TEST_F(WaveformGeneratorTest, SprayForADurationSleepsOrSweepsUntilItHasPassed) {
    ManualClock clock;
    sprayForDuration(seconds(2.5), kilohertz(460.0), 10.0, *port,
                     ElectronicsHardwareGeneration::originalDesign, kilohertz(20.0), kilohertz(20.0), {},
                     {clock, clock});
    EXPECT_EQ(clock.totalSleep(), 2500ms);
    EXPECT_EQ(frequenciesSent(), (std::vector<double>{460}));
    expectUndriven();

    // With a cancel test too, whichever comes first: here 0.5 s pass per sweep
    // step (the clock is read before the test), so the duration of 2 s ends
    // the spray after four steps.
    electronics->clearCommands();
    int asked = 0;
    sprayForDuration(seconds(2.0), kilohertz(460.0), 10.0, *port,
                     ElectronicsHardwareGeneration::originalDesign, kilohertz(20.0), kilohertz(20.0),
                     [&] {
                         clock.advance(500ms);
                         return ++asked > 100;
                     },
                     {clock, clock});
    EXPECT_EQ(frequenciesSent(), (std::vector<double>{460, 460, 480, 500, 480, 460}));
    expectUndriven();
}

TEST_F(WaveformGeneratorTest, ASprayThatFailsMidSweepLeavesTheDispenserUndriven) {
    // Replies: relay, voltage, centre, centre again, then two sweep steps; the
    // third sweep step's echo is garbled.
    for (int i = 0; i < 6; ++i) {
        electronics->queueReplyFault(ReplyFault::pass());
    }
    electronics->queueReplyFault(ReplyFault::corrupt(0));
    const auto error = errorThrownBy<ElectronicsError>([&] {
        sprayForDuration(std::nullopt, kilohertz(460.0), 10.0, *port,
                         ElectronicsHardwareGeneration::originalDesign, kilohertz(20.0), kilohertz(20.0),
                         [] { return false; });
    });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::unrecoverableCommunicationNoise);
    expectUndriven();
    EXPECT_EQ(frequenciesSent(), (std::vector<double>{460, 460, 480, 500, 480}));
}
