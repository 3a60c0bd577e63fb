#pragma once
// One manual dispense or spray at a time, run on the electronics' queue so
// that nothing else (the status poll in particular) reaches the electronics
// between switching the generator on and off. While it runs, a second start
// cancels it instead: a dispense stops at its next 0.1 s step, a spray at
// its cancel test; either way the generator is switched off.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

class Electronics;

class ManualDispenserOperation {
  public:
    enum class Kind { dispense, spray };
    // The drive as the operation reads it when it starts.
    struct Drive {
        double durationSeconds;
        double frequencyKilohertz;
        double voltage;
    };
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    static constexpr double sprayFrequencySpreadKilohertz = 20.0;
    static constexpr double sprayFrequencyStepKilohertz = 20.0;

    explicit ManualDispenserOperation(std::shared_ptr<Clock> clock = systemClock(),
                                      std::shared_ptr<Sleeper> sleeper = systemSleeper());
    ManualDispenserOperation(const ManualDispenserOperation&) = delete;
    ManualDispenserOperation& operator=(const ManualDispenserOperation&) = delete;

    bool isOperationInProgress() const { return state_->inProgress.load(); }

    // Starts the operation on the electronics' queue and answers true; when
    // one is running, asks it to stop instead and answers false. A failure
    // goes to the error handler on the queue; then the operation counts as
    // ended and `finished` runs there too.
    bool startOrCancel(Kind kind, const Drive& drive, std::shared_ptr<Electronics> electronics,
                       ErrorHandler errorHandler, std::function<void()> finished);

  private:
    // Shared with the queued work, which may outlast its window.
    struct State {
        std::atomic<bool> inProgress{false};
        std::atomic<bool> shouldCancel{false};
    };

    static void dispense(Electronics& electronics, const Drive& drive, const State& state, Clock& clock,
                         Sleeper& sleeper);
    static void spray(Electronics& electronics, const Drive& drive, const State& state, Clock& clock,
                      Sleeper& sleeper);

    const std::shared_ptr<Clock> clock_;
    const std::shared_ptr<Sleeper> sleeper_;
    const std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace Dotfield
