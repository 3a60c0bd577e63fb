#include "Dotfield/Application/AlertGate.hpp"

namespace Dotfield {

bool AlertGate::tryOpen(AlertDevice device) {
    if (terminating()) {
        return false;
    }
    std::lock_guard lock(mutex_);
    bool& open = open_[static_cast<std::size_t>(device)];
    if (open) {
        return false;
    }
    open = true;
    return true;
}

void AlertGate::close(AlertDevice device) {
    std::lock_guard lock(mutex_);
    open_[static_cast<std::size_t>(device)] = false;
}

} // namespace Dotfield
