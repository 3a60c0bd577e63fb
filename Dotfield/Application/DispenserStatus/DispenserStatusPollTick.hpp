#pragma once
// One tick of the dispenser status poll, run by the electronics' status timer
// on the electronics queue, with the state it carries from tick to tick.
//
// Without reference statistics (an uncalibrated dispenser) the tick measures
// the five carried points against zero references, so only the absolute
// bands decide (connected, open or shorted); an off-surface reading is
// smoothed (0.9 of the point's previous magnitude, seeded by its first
// reading, plus 0.1 of the new one); the readings go to the diagnostics; a
// connected dispenser is reported to the calibration window on every tick.
// With statistics the tick asks the electronics' status check and tells the
// manual controls and the surface-cant window when the dispenser comes
// (once, remembering what it sent) or goes (every such tick, followed by the
// calibration window's dispenserDisconnected()).
//
// A lost electronics link is closed and reopened (at most once a second while
// it stays away) and the points are measured once more for the diagnostics.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Dotfield/Application/DispenserStatus/DispenserStatusPollWindows.hpp"
#include "Dotfield/Instrument/DispenserStatus/DispenserConnectionStatus.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"
#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

class Electronics;

struct DispenserStatusPollEnvironment {
    // The electronics own the timer that runs the tick, so they outlive it.
    Electronics* electronics = nullptr;
    std::shared_ptr<DispenserStatusPollWindowRegistry> windows;
    // Closes the electronics link and opens "Dual RS232 A" again, reading the
    // hardware generation; throws when it cannot.
    std::function<void()> reopenElectronicsLink;
    // Runs window work on the main thread and waits for it.
    std::function<void(const std::function<void()>&)> onMainThread;
    std::function<void(std::string_view)> console;
    // The dispenser's state for the status bar, whenever it changes.
    std::function<void(const std::string&)> reportState;
    std::shared_ptr<Clock> clock = systemClock();
    // The shortest time between two reopenings while the electronics stay away.
    Clock::Duration reopenInterval = std::chrono::seconds(1);
};

// The status bar's words for a status (with reference statistics).
std::string dispenserStateText(DispenserConnectionStatus status);

// The five points of a delay table of n entries (at least one): the entries
// 0, n/4, n/2, 3n/4 and n - 1.
DispenserStatusPoints dispenserStatusPointsOfDelayTable(const std::vector<ImpedanceCalibrationValue>& table);

class DispenserStatusPollTick {
  public:
    DispenserStatusPollTick(DispenserStatusPollEnvironment environment, const DispenserStatusPoints& points);

    // One tick; never throws.
    void operator()();

    const DispenserStatusPoints& points() const { return points_; }

  private:
    // Runs a reading; a lost link is recovered, any other error logged after
    // the prefix. Answers whether the reading worked.
    bool read(const std::function<void()>& reading, std::string_view failurePrefix);
    void log(const std::string& line) const;
    void tickWithoutStatistics();
    void tickWithStatistics();
    // Measures the carried points against zero references.
    DispenserConnectionStatus measure(DispenserStatusReading& readings);
    // Smooths (off the surface) and hands the readings to the diagnostics.
    void forwardReadings(DispenserConnectionStatus status, DispenserStatusReading readings);
    // After a lost link: reopen (rate-limited), measure once more, forward.
    void recoverLostLink();
    void sendConnected(bool connected);
    void report(const std::string& text);
    void onMain(const std::function<void()>& work) const;

    DispenserStatusPollEnvironment environment_;
    const DispenserStatusPoints points_;
    const DispenserStatistics zeroReferences_;
    // Touched on the electronics queue only.
    std::array<std::optional<double>, dispenserStatusPointCount> storedMagnitudes_;
    std::optional<bool> connectedSent_;
    std::optional<Clock::TimePoint> lastReopen_;
    std::string reportedState_;
};

} // namespace Dotfield
