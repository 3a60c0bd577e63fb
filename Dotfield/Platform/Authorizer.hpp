#pragma once
// Asks the system whether the current user may unlock the motor tuning values.
// The application installs the polkit-backed authorizer; tests give windows a
// scripted one.

#include <functional>

namespace Dotfield {

class Authorizer {
  public:
    virtual ~Authorizer() = default;
    // Returns at once; `completion` runs later on the main thread, exactly
    // once, with true only when the system granted the request. A refusal,
    // a dismissed prompt and a failure to ask all answer false. An authorizer
    // destroyed before it answers drops the completion instead of calling it.
    virtual void requestAuthorization(std::function<void(bool granted)> completion) = 0;
};

} // namespace Dotfield
