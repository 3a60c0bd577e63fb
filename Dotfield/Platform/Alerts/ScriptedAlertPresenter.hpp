#pragma once
// An alert presenter for tests: it records every alert it is asked to show and
// answers from a script, so a test can play the operator choosing OK or Cancel.

#include <deque>
#include <mutex>
#include <vector>

#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"

namespace Dotfield {

class ScriptedAlertPresenter final : public AlertPresenter {
  public:
    // The answer given when the script has run out.
    explicit ScriptedAlertPresenter(AlertResponse whenScriptIsEmpty = AlertResponse::defaultButton);

    // Queues the answers to the next alerts, in order.
    void answer(AlertResponse response);

    AlertResponse runModalAlert(const ErrorAlertContent& content) override;

    std::vector<ErrorAlertContent> shownAlerts() const;

  private:
    const AlertResponse whenScriptIsEmpty_;
    mutable std::mutex mutex_;
    std::deque<AlertResponse> script_;
    std::vector<ErrorAlertContent> shown_;
};

// Installs a scripted presenter for the lifetime of the object and restores the
// previous presenter afterwards.
class ScopedScriptedAlertPresenter {
  public:
    explicit ScopedScriptedAlertPresenter(AlertResponse whenScriptIsEmpty = AlertResponse::defaultButton);
    ~ScopedScriptedAlertPresenter();
    ScopedScriptedAlertPresenter(const ScopedScriptedAlertPresenter&) = delete;
    ScopedScriptedAlertPresenter& operator=(const ScopedScriptedAlertPresenter&) = delete;

    ScriptedAlertPresenter& presenter() { return *presenter_; }

  private:
    std::shared_ptr<ScriptedAlertPresenter> presenter_;
    std::shared_ptr<AlertPresenter> previous_;
};

} // namespace Dotfield
