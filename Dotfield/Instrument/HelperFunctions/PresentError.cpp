#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"

#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

void presentError(const ErrorAlertRequest& request) {
    MainQueue::main().sync([&request] {
        const AlertResponse response = currentAlertPresenter()->runModalAlert(request.content);
        const auto& action =
            response == AlertResponse::defaultButton ? request.defaultAction : request.alternateAction;
        if (action) {
            action();
        }
    });
}

} // namespace Dotfield
