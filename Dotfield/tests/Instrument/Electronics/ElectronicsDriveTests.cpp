#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/tests/Instrument/Electronics/ElectronicsObjectFixture.hpp"
#include "Dotfield/tests/Support/ErrorCapture.hpp"

namespace Dotfield::testing {
namespace {

using namespace std::chrono_literals;
using Simulators::ReplyFault;
using Relay = Simulators::SimulatedElectronics::RelayPosition;
using Kind = Simulators::SimulatedElectronics::Command::Kind;
using Zovudidova::FrequencyUnit;
using Zovudidova::kilohertz;

TEST(ElectronicsDriveSettings, DefaultsStoredValuesAndTheChosenResonance) {
    auto store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    {
        Electronics fresh(store);
        EXPECT_EQ(fresh.dispensingFrequency(), kilohertz(460.0));
        EXPECT_EQ(fresh.sprayingFrequency(), kilohertz(460.0));
        EXPECT_EQ(fresh.dispensingVoltage(), 0.5);
        EXPECT_EQ(fresh.sprayingVoltage(), 10.0);
        EXPECT_EQ(fresh.hardwareGeneration(), ElectronicsHardwareGeneration::originalDesign);
        EXPECT_FALSE(fresh.serialPort());
        EXPECT_FALSE(fresh.sprayingOrDispensingCancelled());
        EXPECT_TRUE(fresh.dispatchTimer().isSuspended());
        EXPECT_EQ(fresh.serialDispatchQueue().label(), "com.veltrane.Dotfield.electronicsCommunicationQueue");
    }

    store->setDouble(412.5, "dispensingFrequency");
    store->setDouble(398.0, "sprayingFrequency");
    store->setDouble(1.5, "dispensingVoltage");
    store->setDouble(12.0, "sprayingVoltage");
    Electronics electronics(store);
    EXPECT_EQ(electronics.dispensingFrequency(), kilohertz(412.5));
    EXPECT_EQ(electronics.sprayingFrequency(), kilohertz(398.0));
    EXPECT_EQ(electronics.dispensingVoltage(), 1.5);
    EXPECT_EQ(electronics.sprayingVoltage(), 12.0);

    const ImpedanceMeasurement resonance{350.0, 0.0, {Zovudidova::hertz(301500.0), 2}};
    std::vector<double> observed;
    electronics.setResonantFrequencyObserver(
        [&](const Zovudidova::Frequency& frequency) { observed.push_back(frequency.value(FrequencyUnit::hertz)); });
    electronics.updateResonantFrequency(resonance);
    EXPECT_EQ(observed, std::vector<double>{301500.0});
    EXPECT_EQ(electronics.dispensingFrequency(), kilohertz(412.5));
    EXPECT_EQ(store->doubleForKey("dispensingFrequency"), 412.5);

    electronics.setResonantFrequencyObserver(nullptr);
    electronics.updateResonantFrequency(resonance);
    EXPECT_EQ(electronics.dispensingFrequency(), kilohertz(301.5));
    EXPECT_EQ(electronics.sprayingFrequency(), kilohertz(301.5));
    EXPECT_EQ(store->doubleForKey("dispensingFrequency"), 301.5);
    EXPECT_EQ(store->doubleForKey("sprayingFrequency"), 301.5);
    EXPECT_EQ(observed.size(), 1u);
}

class ElectronicsDrive : public ElectronicsObjectFixture {
protected:
    void onQueue(const std::function<void()>& work) { performOnQueueSync(work, *object); }

    void expectUndriven() {
        EXPECT_EQ(electronics->relay(), Relay::electronics);
        EXPECT_EQ(electronics->voltageCode(), 0);
    }
};

TEST_P(ElectronicsDrive, StartAndStopDispensing) {
    onQueue([&] { object->startDispensing(); });
    EXPECT_EQ(electronics->relay(), Relay::waveformGenerator);
    EXPECT_EQ(electronics->voltageCode(), 102) << "0.5 V";
    EXPECT_NEAR(electronics->frequencyHz(), 460000.0, 1.0);
    onQueue([&] { object->stopDispensing(); });
    expectUndriven();
}

TEST_P(ElectronicsDrive, TimedDispenseSleepsInTenthsOfASecond) {
    onQueue([&] { object->dispense(Zovudidova::seconds(0.0)); });
    EXPECT_EQ(clock->totalSleep(), 0ns);
    EXPECT_EQ(commandCount(Kind::relayToGenerator), 1u);
    expectUndriven();

    onQueue([&] { object->dispense(Zovudidova::seconds(1.0)); });
    EXPECT_EQ(clock->totalSleep(), 1s);
    EXPECT_EQ(commandCount(Kind::relayToGenerator), 2u);
    expectUndriven();

    // A cancel request set before the dispense is seen after the first sleep.
    object->setSprayingOrDispensingCancelled(true);
    onQueue([&] { object->dispense(Zovudidova::milliseconds(250.0)); });
    EXPECT_EQ(clock->totalSleep(), 1100ms);
    EXPECT_TRUE(object->sprayingOrDispensingCancelled()) << "the flag is left for its owner to clear";
    expectUndriven();
}

TEST_P(ElectronicsDrive, ADispenseThatFailsToStartLeavesTheDispenserUndriven) {
    // The relay answers; the voltage command's echo is garbled.
    electronics->queueReplyFault(ReplyFault::pass());
    electronics->queueReplyFault(ReplyFault::corrupt(0));
    const auto error = errorThrownBy<ElectronicsError>([&] { onQueue([&] { object->dispense(Zovudidova::seconds(5.0)); }); });
    EXPECT_EQ(error.kind(), ElectronicsErrorKind::unrecoverableCommunicationNoise);
    EXPECT_EQ(clock->totalSleep(), 0ns);
    expectUndriven();
}

TEST_P(ElectronicsDrive, TimedSprayAtTheSprayingSettings) {
    object->setSprayingFrequency(kilohertz(440.0));
    onQueue([&] { object->spray(Zovudidova::seconds(2.0)); });
    EXPECT_EQ(clock->totalSleep(), 2s);
    const std::vector<Kind> expected{Kind::relayToGenerator, Kind::setVoltage, Kind::setFrequency, Kind::setVoltage,
                                     Kind::relayToElectronics};
    EXPECT_EQ(commandKinds(), expected);
    EXPECT_EQ(electronics->commands()[1].value, 2048u) << "10 V";
    EXPECT_NEAR(electronics->frequencyHz(), 440000.0, 1.0);
    expectUndriven();
}

// Sleeps on the test's clock and, at the third sleep, asks the running
// dispense to stop, as the operator would.
class CancellingSleeper final : public Sleeper {
public:
    CancellingSleeper(std::shared_ptr<ManualClock> clock) : clock_(std::move(clock)) {}
    using Sleeper::sleep;
    void sleep(Clock::Duration duration) override {
        clock_->sleep(duration);
        if (++sleeps_ == 3) {
            target->setSprayingOrDispensingCancelled(true);
        }
    }
    Electronics* target = nullptr;

private:
    std::shared_ptr<ManualClock> clock_;
    int sleeps_ = 0;
};

class ElectronicsCancelledDispense : public ElectronicsDrive {
protected:
    std::shared_ptr<Sleeper> sleeper() override { return cancellingSleeper; }
    std::shared_ptr<CancellingSleeper> cancellingSleeper = std::make_shared<CancellingSleeper>(clock);
};

TEST_P(ElectronicsCancelledDispense, ACancelEndsTheDispenseAfterTheCurrentSleep) {
    cancellingSleeper->target = object.get();
    onQueue([&] { object->dispense(Zovudidova::seconds(5.0)); });
    EXPECT_EQ(clock->totalSleep(), 300ms);
    expectUndriven();
}

INSTANTIATE_TEST_SUITE_P(Generations, ElectronicsDrive,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);
INSTANTIATE_TEST_SUITE_P(Generations, ElectronicsCancelledDispense,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);

} // namespace
} // namespace Dotfield::testing
