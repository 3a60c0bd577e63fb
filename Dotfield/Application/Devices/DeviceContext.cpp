#include "Dotfield/Application/Devices/DeviceContext.hpp"

#include <utility>

#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

DeviceContext::DeviceContext(DeviceEnvironment environment) : environment_(std::move(environment)) {}

void DeviceContext::log(std::string_view message) const {
    if (environment_.console) {
        environment_.console(message);
    } else {
        Diagnostics::printWithContext(message);
    }
}

void DeviceContext::windowNotBuilt(std::string_view windowController, std::string_view step) const {
    log(std::string(windowController) + " is not built yet; skipped: " + std::string(step));
}

void DeviceContext::setStatusObserver(DeviceStatusObserver observer) {
    statusObserver_ = std::move(observer);
}

void DeviceContext::setWindows(Windows windows) {
    windows_ = std::move(windows);
}

void DeviceContext::setErrorHandler(std::function<void(std::exception_ptr)> handler) {
    errorHandler_ = std::move(handler);
}

void DeviceContext::reportStatus(ShellDevice device, std::string text) {
    if (!statusObserver_) {
        return;
    }
    if (MainQueue::main().isCurrent()) {
        statusObserver_(device, text);
    } else {
        // A report that arrives after the shell is gone is dropped.
        MainQueue::main().async([weak = weak_from_this(), device, text = std::move(text)] {
            if (const auto self = weak.lock()) {
                self->statusObserver_(device, text);
            }
        });
    }
}

void DeviceContext::windowStep(OperatorWindow window, std::string_view step, bool show) const {
    if (windows_.step) {
        windows_.step(window, step, show);
    }
}

void DeviceContext::dropWindow(OperatorWindow window) const {
    if (windows_.drop) {
        windows_.drop(window);
    }
}

ShellWindowHooks DeviceContext::hooks() const {
    return windows_.hooks ? windows_.hooks() : ShellWindowHooks{};
}

void DeviceContext::handleError(std::exception_ptr error) const {
    if (errorHandler_) {
        errorHandler_(std::move(error));
    }
}

void DeviceContext::presentAlert(AlertDevice device, const ErrorAlertRequest& request) {
    if (!alertGate_.tryOpen(device)) {
        log("Not shown while " +
            std::string(alertGate_.terminating() ? "the application terminates" : "its device's alert is open") +
            ": " + request.content.messageText);
        return;
    }
    struct CloseOnExit {
        AlertGate& gate;
        AlertDevice device;
        ~CloseOnExit() { gate.close(device); }
    } closeOnExit{alertGate_, device};
    presentError(request);
}

} // namespace Dotfield
