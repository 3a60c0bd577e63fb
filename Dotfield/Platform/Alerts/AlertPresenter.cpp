#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"

#include <mutex>
#include <utility>

#include "Dotfield/Platform/Log.hpp"

namespace Dotfield {

namespace {

class LoggingAlertPresenter final : public AlertPresenter {
  public:
    AlertResponse runModalAlert(const ErrorAlertContent& content) override {
        writeLogLine("Alert with no presenter: " + content.messageText + " " + content.informativeText);
        return content.alternateButtonTitle ? AlertResponse::alternateButton : AlertResponse::defaultButton;
    }
};

std::mutex presenterMutex;

std::shared_ptr<AlertPresenter>& installedPresenter() {
    static auto* presenter = new std::shared_ptr<AlertPresenter>(std::make_shared<LoggingAlertPresenter>());
    return *presenter;
}

} // namespace

std::shared_ptr<AlertPresenter> installAlertPresenter(std::shared_ptr<AlertPresenter> presenter) {
    if (!presenter) {
        presenter = std::make_shared<LoggingAlertPresenter>();
    }
    std::lock_guard lock(presenterMutex);
    return std::exchange(installedPresenter(), std::move(presenter));
}

std::shared_ptr<AlertPresenter> currentAlertPresenter() {
    std::lock_guard lock(presenterMutex);
    return installedPresenter();
}

} // namespace Dotfield
