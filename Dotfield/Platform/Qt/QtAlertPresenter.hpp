#pragma once
// Shows alerts as Qt message boxes, critical or informational by their style.

#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"

namespace Dotfield {

class QtAlertPresenter final : public AlertPresenter {
  public:
    AlertResponse runModalAlert(const ErrorAlertContent& content) override;
};

} // namespace Dotfield
