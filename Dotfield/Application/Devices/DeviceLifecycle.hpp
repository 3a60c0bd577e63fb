#pragma once
// The life of one device of the instrument, as the device supervisor runs it:
// brought up at launch, connected again when the operator asks for it in a
// recovery alert, let go at the end of the run; and, for each error, the
// recovery alert that belongs to it, with what each of its buttons does.
//
// The end of the run takes three rounds over every device, so that nothing
// is let go while another device still works with it: stop() tells the work
// under way to stop, settle() waits for it and leaves the outputs safe, and
// release() closes the links.

#include <exception>
#include <optional>

#include "Dotfield/Application/AlertGate.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"

namespace Dotfield {

struct RecoveryAlert {
    // The device whose alerts it counts with (one open at a time).
    AlertDevice device;
    // The alert and the actions of its buttons: the first answers the
    // recovery (reconnect, home, or nothing), the second gives up and the
    // program carries on. None: the error needs no alert (an abort the
    // operator asked for).
    std::optional<ErrorAlertRequest> request;
};

class DeviceLifecycle {
  public:
    virtual ~DeviceLifecycle() = default;

    // At launch, on the main thread (the relay box and the humidity sensor on
    // the electronics' queue, after the electronics). May start work on the
    // device's queue or thread.
    virtual void connect() = 0;
    // The device's link opened again.
    virtual void reconnect() = 0;
    // The recovery of an error of this device; none for another's error.
    virtual std::optional<RecoveryAlert> recoveryAlert(const std::exception_ptr& error) = 0;

    // At the end of the run, main thread, in this order over every device;
    // later calls do only what is still to do.
    virtual void stop() {}
    virtual void settle() {}
    virtual void release() = 0;
};

} // namespace Dotfield
