#pragma once
// What the dispenser or the UV relay does while an item prints: nothing (a
// timed use only waits), the relay closed to power a UV source, the dispenser
// driven for dispensing, or driven for spraying.
//
// begin() starts the mode before an item's motion and end() ends it after;
// perform() is the timed use in one place, which is how a point prints. In
// dispense and spray mode each begin/end pair suspends and resumes the status
// poll once. run() pairs begin and end around the item's work and ends the
// mode best-effort when the work fails, so a failure never leaves the
// dispenser driven, the spraying loop running, the relay closed or the poll
// suspended.
//
// Called on the robot queue.

#include <memory>
#include <utility>

#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class PrintingElectronics;
class Relay;

class PrintingMode {
  public:
    enum class Kind { none, uvCure, dispense, spray };

    // Nothing switched; a timed use waits `seconds`.
    static PrintingMode none(double seconds);
    // The relay closed while the item prints; a timed use keeps it closed `seconds`.
    static PrintingMode uvCure(std::shared_ptr<Relay> relay, double seconds);
    static PrintingMode dispense();
    static PrintingMode spray();

    Kind kind() const { return kind_; }
    // Seconds (none and uvCure).
    double duration() const { return duration_; }
    const std::shared_ptr<Relay>& relay() const { return relay_; }

    // Throw the relay's or the electronics' errors. A failed begin in
    // dispense mode resumes the poll it suspended.
    void begin(PrintingElectronics& electronics) const;
    void end(PrintingElectronics& electronics) const;
    // The timed use; d is the point's duration (dispense and spray only).
    void perform(const Zovudidova::Duration& d, PrintingElectronics& electronics) const;

    // end() after a failure: every step is tried, errors are dropped.
    void endAfterFailure(PrintingElectronics& electronics) const noexcept;

    // begin(), the work, end(); when the work fails, the mode is ended
    // best-effort and the work's error rethrown.
    template <typename Work> void run(PrintingElectronics& electronics, Work&& work) const {
        begin(electronics);
        try {
            std::forward<Work>(work)();
        } catch (...) {
            endAfterFailure(electronics);
            throw;
        }
        end(electronics);
    }

  private:
    PrintingMode(Kind kind, double duration, std::shared_ptr<Relay> relay)
        : kind_(kind), duration_(duration), relay_(std::move(relay)) {}

    Kind kind_;
    double duration_;
    std::shared_ptr<Relay> relay_;
};

} // namespace Dotfield
