#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <sys/stat.h>

#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/DispenserStatus/NoiseCalculationArrays.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"
#include "Dotfield/tests/Instrument/Electronics/ElectronicsObjectFixture.hpp"
#include "Dotfield/tests/Support/SettingsTestSupport.hpp"

namespace Dotfield::testing {
namespace {

using namespace std::chrono_literals;
using Simulators::ReplyFault;
using Relay = Simulators::SimulatedElectronics::RelayPosition;
using Kind = Simulators::SimulatedElectronics::Command::Kind;

// Holds status checks inside the sensor-signal observer until the test lets them go.
class Gate {
public:
    void pass() {
        std::unique_lock lock(mutex_);
        ++arrived_;
        condition_.wait(lock, [&] { return open_ || released_ > 0; });
        if (!open_) {
            --released_;
        }
    }
    void releaseOne() {
        std::lock_guard lock(mutex_);
        ++released_;
        condition_.notify_all();
    }
    void openForGood() {
        std::lock_guard lock(mutex_);
        open_ = true;
        condition_.notify_all();
    }
    int arrived() {
        std::lock_guard lock(mutex_);
        return arrived_;
    }

private:
    std::mutex mutex_;
    std::condition_variable condition_;
    int arrived_ = 0;
    int released_ = 0;
    bool open_ = false;
};

// The electronics over a settings file whose writes follow the test's clock.
class ElectronicsPoll : public ElectronicsObjectFixture {
protected:
    void SetUp() override {
        settingsFile = freshTestFolder("ElectronicsPoll") / "settings.plist";
        store = std::make_shared<UserDefaults>(
            UserDefaults::StandardDefaults{std::make_shared<PersistentDefaults>(settingsFile, clock)});
        ElectronicsObjectFixture::SetUp();
        electronics->setMeasurementNoise(2.0, 0.002, 5);
    }

    void TearDown() override {
        gate.openForGood();
        ElectronicsObjectFixture::TearDown();
    }

    void startPoll() {
        object->setSensorSignalUpdateObserver([this](const DispenserStatusReading&, const DispenserStatistics&) {
            gate.pass();
            ++checks;
        });
        startDispenserStatusPoll(*object, points,
                                 {[this](DispenserConnectionStatus status) { lastStatus = status; },
                                  [this](std::exception_ptr) { ++failures; }});
    }

    // The poll's timer and the settings' saver are both asleep on the clock
    // again, with nothing due: they have done what the time given so far
    // asked of them (a tick run or dropped, a save written).
    bool clockThreadsAsleep() {
        return eventually([&] { return clock->pendingWaitCount() == 2; });
    }

    // Everything queued on the electronics' queue so far has run, unless a
    // check queued among it is held at the gate (then it has arrived there).
    bool queueWorkedThrough() {
        const int before = gate.arrived();
        auto ran = std::make_shared<std::atomic<bool>>(false);
        object->serialDispatchQueue().async([ran] { *ran = true; });
        return eventually([&] { return ran->load() || gate.arrived() > before; });
    }

    // No check in flight: the last one has given the semaphore back, so the
    // next tick will not be dropped.
    bool pollIdle() {
        return eventually([&] { return object->timerSemaphore().value() == 1; });
    }

    // The file's identity: every atomic save replaces it with a new one.
    std::optional<ino_t> settingsFileIdentity() const {
        struct stat status {};
        if (::stat(settingsFile.c_str(), &status) != 0) {
            return std::nullopt;
        }
        return status.st_ino;
    }

    std::filesystem::path settingsFile;
    Gate gate;
    std::atomic<int> checks{0};
    std::atomic<int> failures{0};
    std::atomic<DispenserConnectionStatus> lastStatus{DispenserConnectionStatus::disconnected};
};

TEST_P(ElectronicsPoll, PollsEveryTenthOfASecondAndDropsTicksWhileACheckRuns) {
    object->setDispenserStatistics(sample());
    startPoll();
    ASSERT_TRUE(eventually([&] { return gate.arrived() == 1; })) << "the first tick is due at once";

    // Three ticks while the first check is held: all dropped.
    for (int i = 0; i < 3; ++i) {
        clock->advance(100ms);
    }
    ASSERT_TRUE(clockThreadsAsleep());
    gate.releaseOne();
    ASSERT_TRUE(eventually([&] { return checks == 1; }));
    ASSERT_TRUE(pollIdle());
    ASSERT_TRUE(queueWorkedThrough());
    EXPECT_EQ(gate.arrived(), 1);

    // From now on every 100 ms one check.
    gate.openForGood();
    for (int tick = 2; tick <= 6; ++tick) {
        clock->advance(100ms);
        ASSERT_TRUE(eventually([&] { return checks == tick; })) << tick;
        ASSERT_TRUE(pollIdle());
    }
    EXPECT_EQ(lastStatus, DispenserConnectionStatus::connectedAndOffSurface);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(commandCount(Kind::statusReading), 30u + 6u);

    // Whoever needs the link suspends the poll.
    object->dispatchTimer().suspend();
    clock->advance(500ms);
    ASSERT_TRUE(clockThreadsAsleep());
    ASSERT_TRUE(queueWorkedThrough());
    EXPECT_EQ(checks, 6);
    object->dispatchTimer().resume();
    ASSERT_TRUE(eventually([&] { return checks == 7; }));
    object->dispatchTimer().suspend();
}

TEST_P(ElectronicsPoll, TheStatisticsReachTheSettingsFileWithoutAWritePerTick) {
    object->setDispenserStatistics(sample());
    gate.openForGood();
    startPoll();
    std::set<ino_t> files;
    constexpr int ticks = 25;
    for (int tick = 1; tick <= ticks; ++tick) {
        ASSERT_TRUE(eventually([&] { return checks == tick; })) << tick;
        ASSERT_TRUE(pollIdle());
        if (const auto identity = settingsFileIdentity()) {
            files.insert(*identity);
        }
        // No tick is due after the last one, so none can still be on its way
        // when the poll is suspended and the statistics are compared.
        if (tick < ticks) {
            clock->advance(100ms);
        }
    }
    object->dispatchTimer().suspend();
    const auto stored = loadNoiseCalculationArrays(*store);
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, *object->dispenserStatistics());

    // The settings' own thread writes the file a second (of the test's clock)
    // after the first change, in its own time.
    ASSERT_TRUE(eventually(
        [&] { return fileText(settingsFile).find("averageForNoiseCalculationArray") != std::string::npos; }));
    files.insert(*settingsFileIdentity());
    PersistentDefaults reread(settingsFile, clock);
    EXPECT_TRUE(reread.object("averageForNoiseCalculationArray"));
    // 2.4 s of polling: at most one write for each second of settings changes.
    EXPECT_LE(files.size(), 3u);
}

TEST_P(ElectronicsPoll, AFailedCheckIsReportedAndThePollGoesOn) {
    object->setDispenserStatistics(sample());
    gate.openForGood();
    // The set-up's echo passes; both readings of the first check come short.
    electronics->queueReplyFault(ReplyFault::pass());
    electronics->queueReplyFault(ReplyFault::cutShort(3));
    electronics->queueReplyFault(ReplyFault::cutShort(3));
    startPoll();
    ASSERT_TRUE(eventually([&] { return failures == 1; }));
    ASSERT_TRUE(pollIdle());
    clock->advance(100ms);
    ASSERT_TRUE(eventually([&] { return checks == 1; }));
    object->dispatchTimer().suspend();
}

TEST_P(ElectronicsPoll, ReleasingTheElectronicsWhilePollingIsSafe) {
    object->setDispenserStatistics(sample());
    gate.openForGood();
    startPoll();
    for (int i = 0; i < 5; ++i) {
        clock->advance(100ms);
    }
    object.reset();
}

class ElectronicsSpraying : public ElectronicsObjectFixture {};

TEST_P(ElectronicsSpraying, ABackgroundSprayRunsUntilCancelled) {
    std::atomic<int> reported{0};
    object->setSprayingErrorHandler([&](std::exception_ptr) { ++reported; });
    object->setSprayingOrDispensingCancelled(true);
    object->startSpraying();
    EXPECT_TRUE(object->dispatchTimer().isSuspended());
    EXPECT_FALSE(object->sprayingOrDispensingCancelled());

    // The sweep keeps setting frequencies until the flag is raised.
    ASSERT_TRUE(eventually([&] { return commandCount(Kind::setFrequency) >= 6; }));
    object->setSprayingOrDispensingCancelled(true);
    object->serialDispatchQueue().sync([] {});
    EXPECT_EQ(electronics->relay(), Relay::electronics);
    EXPECT_EQ(electronics->voltageCode(), 0);
    EXPECT_EQ(reported, 0);
    const auto kinds = commandKinds();
    EXPECT_EQ(kinds.back(), Kind::relayToElectronics);
    object->dispatchTimer().resume();
}

TEST_P(ElectronicsSpraying, AFailedSprayStopsTheGeneratorAndReportsItsError) {
    std::mutex mutex;
    std::vector<ElectronicsErrorKind> reported;
    object->setSprayingErrorHandler([&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const ElectronicsError& electronicsError) {
            std::lock_guard lock(mutex);
            reported.push_back(electronicsError.kind());
        }
    });
    // Relay, voltage, frequency, the centre once more: answered; the first
    // frequency of the sweep: garbled.
    for (int i = 0; i < 4; ++i) {
        electronics->queueReplyFault(ReplyFault::pass());
    }
    electronics->queueReplyFault(ReplyFault::corrupt(0));
    object->startSpraying();
    object->serialDispatchQueue().sync([] {});
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(reported, std::vector<ElectronicsErrorKind>{ElectronicsErrorKind::unrecoverableCommunicationNoise});
    }
    EXPECT_EQ(electronics->relay(), Relay::electronics);
    EXPECT_EQ(electronics->voltageCode(), 0);
    object->dispatchTimer().resume();
}

INSTANTIATE_TEST_SUITE_P(Generations, ElectronicsPoll,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);
INSTANTIATE_TEST_SUITE_P(Generations, ElectronicsSpraying,
                         ::testing::Values(Generation::originalDesign, Generation::redesign2016), generationName);

} // namespace
} // namespace Dotfield::testing
