#pragma once
// What the dispenser diagnostics window shows: the last 200 status readings
// of the dispenser (five impedances each, one per status point) and the
// reference statistics of the newest update, from which every sample's sensor
// signal and the statistics table are computed.
//
// The status poll writes on the electronics queue while the main thread draws:
// every access goes through the lock, and the drawing works on a snapshot.
// The poll asks for a refresh of the window with claimRefresh(), which grants
// one only when none is waiting, so a slow main thread never gathers a queue
// of refreshes.

#include <array>
#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"

namespace Dotfield {

// One table row of the diagnostics window; an absent value is an empty cell.
struct DispenserDiagnosticsRow {
    int point = 0;
    std::optional<double> frequencyInKilohertz;
    std::optional<double> averageImpedanceMagnitude;
    std::optional<double> standardDeviation;
    // The newest reading's magnitude; 0.0 before the first sample.
    double currentValue = 0.0;
    // 20 x the point's deviation probability, 0 to 20; 0.0 before the first
    // sample, absent without statistics.
    std::optional<double> valueGraph;
};

class DispenserDiagnosticsHistory {
  public:
    static constexpr std::size_t capacity = 200;
    static constexpr double valueGraphMaximum = 20.0;

    struct Snapshot {
        // Oldest first.
        std::vector<DispenserStatusReading> samples;
        std::optional<DispenserStatistics> statistics;

        // The sensor signal of each sample against the statistics (one value
        // per sample); empty without statistics.
        std::vector<double> sensorSignal() const;
        // Row 0 to 4.
        DispenserDiagnosticsRow row(std::size_t index) const;
    };

    // Appends the readings, replaces the statistics (absent for a dispenser
    // not calibrated) and drops the oldest sample beyond the capacity.
    void update(const DispenserStatusReading& readings, const std::optional<DispenserStatistics>& statistics);
    Snapshot snapshot() const;
    std::size_t sampleCount() const;

    // True when no refresh was waiting: the caller queues one. The refresh
    // calls refreshStarted() before it takes its snapshot.
    bool claimRefresh() { return !refreshPending_.exchange(true); }
    void refreshStarted() { refreshPending_.store(false); }

  private:
    mutable std::mutex mutex_;
    std::deque<DispenserStatusReading> samples_;
    std::optional<DispenserStatistics> statistics_;
    std::atomic<bool> refreshPending_{false};
};

} // namespace Dotfield
