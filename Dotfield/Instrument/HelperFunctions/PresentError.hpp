#pragma once
// The one way the application shows a recovery or confirmation alert and runs
// the action of the button chosen. The request names every field, so a default
// and an alternate action cannot be swapped by argument order:
//
//   presentError({.content = error.presentableDescription(),
//                 .defaultAction = [&] { retryConnection(); },
//                 .alternateAction = [] { writeLogLine("User cancelled error recovery"); }});

#include <functional>

#include "Dotfield/Platform/Alerts/ErrorAlertContent.hpp"

namespace Dotfield {

struct ErrorAlertRequest {
    ErrorAlertContent content;
    // Runs when the operator chooses the default (first) button.
    std::function<void()> defaultAction;
    // Runs on any other answer.
    std::function<void()> alternateAction;
};

// Shows the alert in its style on the main thread (directly when called
// there, otherwise synchronously through the main queue) and runs exactly one
// action there; returns after the alert was dismissed and the action ran.
// Never call it from a queue that the main thread is waiting for.
void presentError(const ErrorAlertRequest& request);

} // namespace Dotfield
