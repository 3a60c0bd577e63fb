#pragma once
// Shows alerts as critical Qt message boxes.

#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"

namespace Dotfield {

class QtAlertPresenter final : public AlertPresenter {
  public:
    AlertResponse runModalAlert(const ErrorAlertContent& content) override;
};

} // namespace Dotfield
