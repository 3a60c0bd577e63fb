#pragma once
// The registry entry of a window whose controller is itself the window (a
// QWidget), held in a shared holder that the entry and the hooks read: `show`
// brings it to the front and makes it the active window, `close` closes it
// and `release` drops the controller. `make` fills the holder.

#include <functional>
#include <memory>
#include <utility>

#include "Dotfield/Application/Windows/OperatorWindowRegistry.hpp"

namespace Dotfield {

template <typename Controller>
OperatorWindowEntry widgetWindowEntry(std::shared_ptr<std::unique_ptr<Controller>> holder,
                                      std::function<void(AppDelegate&)> make) {
    return {
        .make = std::move(make),
        .show =
            [holder] {
                (*holder)->show();
                (*holder)->raise();
                (*holder)->activateWindow();
            },
        .close = [holder] { (*holder)->close(); },
        .release = [holder] { holder->reset(); },
    };
}

} // namespace Dotfield
