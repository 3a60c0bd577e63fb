#pragma once
// Shows a modal alert and answers which button the operator chose. The
// application installs the Qt presenter; tests install a scripted one. The
// presenter is always called on the main thread.

#include <memory>

#include "Dotfield/Platform/Alerts/ErrorAlertContent.hpp"

namespace Dotfield {

enum class AlertResponse { defaultButton, alternateButton };

class AlertPresenter {
  public:
    virtual ~AlertPresenter() = default;
    // Runs the alert modally: the default button first, then the alternate one
    // when the content has one.
    virtual AlertResponse runModalAlert(const ErrorAlertContent& content) = 0;
};

// Replaces the process's presenter and answers the previous one. Without an
// installed presenter an alert is written to the log and answered with its
// alternate button (the default button when it has none), so a headless run
// neither blocks nor retries without end.
std::shared_ptr<AlertPresenter> installAlertPresenter(std::shared_ptr<AlertPresenter> presenter);
std::shared_ptr<AlertPresenter> currentAlertPresenter();

} // namespace Dotfield
