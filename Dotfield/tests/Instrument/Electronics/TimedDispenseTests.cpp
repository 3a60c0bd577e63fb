// A timed dispense switches the dispenser off on every way out: its end, a
// cancel, and a wait or cancel test that throws.

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "Dotfield/Instrument/Electronics/WaveformGenerator.hpp"
#include "Dotfield/tests/Instrument/Electronics/ElectronicsObjectFixture.hpp"

namespace Dotfield::testing {
namespace {

using namespace std::chrono_literals;
using Relay = Simulators::SimulatedElectronics::RelayPosition;

// Sleeps on the fixture's clock; the sleep after `sleepsBeforeFailing` throws.
class FailingSleeper final : public Sleeper {
  public:
    FailingSleeper(ManualClock& clock, int sleepsBeforeFailing) : clock_(clock), left_(sleepsBeforeFailing) {}
    using Sleeper::sleep;
    void sleep(Clock::Duration duration) override {
        if (left_-- == 0) {
            throw std::runtime_error("the wait was interrupted");
        }
        clock_.sleep(duration);
    }

  private:
    ManualClock& clock_;
    int left_;
};

class TimedDispense : public ElectronicsObjectFixture {
  protected:
    std::shared_ptr<Sleeper> sleeper() override { return failing; }
    // Fails on the third wait of the object's own dispenses.
    std::shared_ptr<FailingSleeper> failing = std::make_shared<FailingSleeper>(*clock, 2);

    void expectUndriven() {
        EXPECT_EQ(electronics->voltageCode(), 0);
        EXPECT_EQ(electronics->relay(), Relay::electronics);
    }
};

TEST_P(TimedDispense, EveryWayOutLeavesTheDispenserUndriven) {
    const auto generation = object->hardwareGeneration();
    const auto seconds = [](double s) { return Zovudidova::Duration(s, Zovudidova::TimeUnit::seconds); };
    {
        SCOPED_TRACE("to its end: ten waits of 0.1 s");
        ManualClock& time = *clock;
        const auto before = time.totalSleep();
        dispenseForDuration(object->dispensingFrequency(), 5.0, *port, generation, seconds(1.0), {},
                            SprayTiming{time, time});
        EXPECT_EQ(time.totalSleep() - before, 1s);
        expectUndriven();
    }
    {
        SCOPED_TRACE("cancelled after the second wait");
        int asked = 0;
        dispenseForDuration(object->dispensingFrequency(), 5.0, *port, generation, seconds(60.0),
                            [&] { return ++asked == 2; }, SprayTiming{*clock, *clock});
        EXPECT_EQ(asked, 2);
        expectUndriven();
    }
    {
        SCOPED_TRACE("a cancel test that throws");
        EXPECT_THROW(dispenseForDuration(object->dispensingFrequency(), 5.0, *port, generation, seconds(60.0),
                                         [] () -> bool { throw std::logic_error("no answer"); },
                                         SprayTiming{*clock, *clock}),
                     std::logic_error);
        expectUndriven();
    }
    {
        SCOPED_TRACE("the electronics' own dispense whose wait throws");
        object->setSprayingOrDispensingCancelled(false);
        EXPECT_THROW(performOnQueueSync([&] { object->dispense(seconds(60.0)); }, *object), std::runtime_error);
        expectUndriven();
    }
}

INSTANTIATE_TEST_SUITE_P(Generations, TimedDispense,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);

} // namespace
} // namespace Dotfield::testing
