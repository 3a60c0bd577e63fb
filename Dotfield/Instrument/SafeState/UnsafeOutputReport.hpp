#pragma once
// A failure to leave the instrument safe (the drive voltage not set to 0, the
// UV relay not opened) is never only a diagnostic: it is written to the
// always-on log with its cause and handed to the observer the application
// installs, which tells the operator that the dispenser or the UV lamp may
// still be on.

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace Dotfield {

// The message and the cause, e.g. "Could not set the drive voltage to 0: <what>".
using UnsafeOutputObserver = std::function<void(const std::string& message)>;

// Replaces the observer and answers the previous one. It is called on the
// thread that failed (a device queue): it must not wait for the main thread.
UnsafeOutputObserver installUnsafeOutputObserver(UnsafeOutputObserver observer);

// Logs "what: cause" (describeFailure) and tells the observer.
void reportUnsafeOutput(std::string_view what, const std::exception_ptr& cause);

} // namespace Dotfield
