#pragma once
// The instrument's outputs that must not stay on when a link stops answering:
// the drive of the dispenser and the UV relay. Whoever switches one on arms it
// with the action that switches it off again; the serial link reports every
// failed exchange (and every read that has waited a whole read time-out for
// nothing), whatever device it was with, and each armed output is then
// switched off at once, before the caller's retries and recovery go on.
//
//   EnergisedOutputs::shared().arm(&port, switchOff);  // before switching on
//   ... drive ...
//   EnergisedOutputs::shared().disarm(&port);           // switched off normally
//   EnergisedOutputs::shared().switchOffNow(&port);     // on the owner's failure path
//
// An output is known by the address of what switches it (the electronics'
// port, the relay); arming it again replaces its action.
//
// Threads: any. The actions of a link failure run on a queue of their own,
// so the thread of the failed exchange (which may hold its port) never waits
// for another port; each action runs at most once, and an action that fails
// reports that itself (reportUnsafeOutput).

#include <functional>
#include <map>
#include <mutex>

#include "Dotfield/Platform/SerialQueue.hpp"

namespace Dotfield {

class EnergisedOutputs {
  public:
    using Key = const void*;
    using SwitchOff = std::function<void()>;

    // The process's one registry.
    static EnergisedOutputs& shared();

    EnergisedOutputs();
    EnergisedOutputs(const EnergisedOutputs&) = delete;
    EnergisedOutputs& operator=(const EnergisedOutputs&) = delete;

    // Arms an output that is about to be switched on. The action must throw
    // nothing and report its own failure.
    void arm(Key output, SwitchOff switchOff);
    // The output was switched off by its owner; its action will not run.
    void disarm(Key output);
    // On the owner's failure path: runs the output's action now, on the
    // calling thread, when it is still armed; when a link failure has already
    // taken it, waits until that has run. Returns once the output is off or
    // its switching off has failed (and was reported).
    void switchOffNow(Key output);
    // A link failed: every armed output is switched off, without waiting.
    void linkFailed();
    bool isArmed(Key output) const;
    // Waits until the actions of earlier link failures have run.
    void waitForSwitchingOff();

  private:
    mutable std::mutex mutex_;
    std::map<Key, SwitchOff> armed_;
    SerialQueue switchingOff_{"com.veltrane.Dotfield.safeStateQueue"};
};

} // namespace Dotfield
