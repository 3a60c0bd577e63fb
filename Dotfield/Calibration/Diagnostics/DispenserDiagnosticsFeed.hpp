#pragma once
// Where the status poll delivers the diagnostics window's readings: the feed
// stores each one in the history and, while the window is shown, asks for a
// refresh through the window's operation, at most one waiting at a time. The
// poll holds the feed, not the window, so a window that goes never receives a
// call from the poll's thread.
//
// Threads: updateWithNewReadings on any thread (the poll's); setShown and the
// refresh on the window's thread.

#include <atomic>
#include <functional>
#include <optional>

#include "Dotfield/Calibration/Diagnostics/DispenserDiagnosticsHistory.hpp"

namespace Dotfield {

class DispenserDiagnosticsFeed {
  public:
    // queueRefresh: arranges a refresh of the window on its own thread.
    explicit DispenserDiagnosticsFeed(std::function<void()> queueRefresh)
        : queueRefresh_(std::move(queueRefresh)) {}

    void updateWithNewReadings(const DispenserStatusReading& readings,
                               const std::optional<DispenserStatistics>& statistics) {
        history_.update(readings, statistics);
        if (shown_.load() && history_.claimRefresh()) {
            queueRefresh_();
        }
    }

    void setShown(bool shown) { shown_.store(shown); }
    DispenserDiagnosticsHistory& history() { return history_; }
    const DispenserDiagnosticsHistory& history() const { return history_; }

  private:
    const std::function<void()> queueRefresh_;
    DispenserDiagnosticsHistory history_;
    std::atomic<bool> shown_{false};
};

} // namespace Dotfield
