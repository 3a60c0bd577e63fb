#pragma once
// The operator windows the dispenser status poll drives, as slots that each
// window fills with one line when it is made (an empty slot is a window not
// built yet, and the poll skips it):
//
//   delegate->pollWindows().update([&](auto& w) { w.dispenserReconnected = [c] { c->dispenserReconnected(); }; });
//
// The diagnostics' reading update is called on the electronics queue (it moves
// its own drawing to the main queue); every other slot is called on the main
// thread while the poll waits.

#include <functional>
#include <mutex>

#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"

namespace Dotfield {

struct DispenserStatusPollWindows {
    // The diagnostics window's reading update: the five points and their readings.
    std::function<void(const DispenserStatusPoints&, const DispenserStatusReading&)> updateWithNewReadings;
    // setDispenserConnected: of the manual controls and of the surface-cant window.
    std::function<void(bool)> manualControlsDispenserConnected;
    std::function<void(bool)> surfaceCantDispenserConnected;
    // The dispenser calibration window.
    std::function<void()> dispenserReconnected;
    std::function<void()> dispenserDisconnected;
};

// The slots, safe to fill from any thread while the poll reads them.
class DispenserStatusPollWindowRegistry {
  public:
    template <typename Change> void update(Change&& change) {
        std::lock_guard lock(mutex_);
        change(windows_);
    }
    DispenserStatusPollWindows current() const {
        std::lock_guard lock(mutex_);
        return windows_;
    }

  private:
    mutable std::mutex mutex_;
    DispenserStatusPollWindows windows_;
};

} // namespace Dotfield
