#include "Dotfield/Platform/Alerts/ScriptedAlertPresenter.hpp"

namespace Dotfield {

ScriptedAlertPresenter::ScriptedAlertPresenter(AlertResponse whenScriptIsEmpty)
    : whenScriptIsEmpty_(whenScriptIsEmpty) {}

void ScriptedAlertPresenter::answer(AlertResponse response) {
    std::lock_guard lock(mutex_);
    script_.push_back(response);
}

AlertResponse ScriptedAlertPresenter::runModalAlert(const ErrorAlertContent& content) {
    std::lock_guard lock(mutex_);
    shown_.push_back(content);
    if (script_.empty()) {
        return whenScriptIsEmpty_;
    }
    const AlertResponse response = script_.front();
    script_.pop_front();
    return response;
}

std::vector<ErrorAlertContent> ScriptedAlertPresenter::shownAlerts() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

ScopedScriptedAlertPresenter::ScopedScriptedAlertPresenter(AlertResponse whenScriptIsEmpty)
    : presenter_(std::make_shared<ScriptedAlertPresenter>(whenScriptIsEmpty)),
      previous_(installAlertPresenter(presenter_)) {}

ScopedScriptedAlertPresenter::~ScopedScriptedAlertPresenter() {
    installAlertPresenter(previous_);
}

} // namespace Dotfield
