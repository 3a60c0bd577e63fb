#pragma once
// The complete content of one modal alert: its buttons, its title line and the
// recovery instructions shown beneath it.

#include <optional>
#include <string>

namespace Dotfield {

// Recovery and confirmation alerts are critical; notices are informational.
enum class AlertStyle { critical, informational };

struct ErrorAlertContent {
    // The first button, which answers the recovery ("OK" or "Home").
    std::string defaultButtonTitle;
    // The second button ("Cancel"), or none for a one-button alert.
    std::optional<std::string> alternateButtonTitle;
    // The alert's title line.
    std::string messageText;
    // The recovery instructions.
    std::string informativeText;
    AlertStyle style = AlertStyle::critical;

    friend bool operator==(const ErrorAlertContent&, const ErrorAlertContent&) = default;
};

} // namespace Dotfield
