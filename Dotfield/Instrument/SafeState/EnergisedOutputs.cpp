#include "Dotfield/Instrument/SafeState/EnergisedOutputs.hpp"

#include <utility>

namespace Dotfield {

EnergisedOutputs& EnergisedOutputs::shared() {
    // Never destroyed: links of other static objects may still fail at exit.
    static auto* outputs = new EnergisedOutputs;
    return *outputs;
}

EnergisedOutputs::EnergisedOutputs() = default;

void EnergisedOutputs::arm(Key output, SwitchOff switchOff) {
    std::lock_guard lock(mutex_);
    armed_.insert_or_assign(output, std::move(switchOff));
}

void EnergisedOutputs::disarm(Key output) {
    std::lock_guard lock(mutex_);
    armed_.erase(output);
}

void EnergisedOutputs::switchOffNow(Key output) {
    SwitchOff switchOff;
    {
        std::lock_guard lock(mutex_);
        if (const auto found = armed_.find(output); found != armed_.end()) {
            switchOff = std::move(found->second);
            armed_.erase(found);
        }
    }
    if (switchOff) {
        switchOff();
        return;
    }
    // A link failure may have taken it and queued its action: the owner goes
    // on only once the output is off.
    waitForSwitchingOff();
}

void EnergisedOutputs::linkFailed() {
    // Queued under the lock, so an owner that finds its output taken waits
    // for an action that is already on the queue.
    std::lock_guard lock(mutex_);
    for (auto& [output, action] : armed_) {
        switchingOff_.async(std::move(action));
    }
    armed_.clear();
}

bool EnergisedOutputs::isArmed(Key output) const {
    std::lock_guard lock(mutex_);
    return armed_.contains(output);
}

void EnergisedOutputs::waitForSwitchingOff() {
    if (!switchingOff_.isCurrent()) {
        switchingOff_.sync([] {});
    }
}

} // namespace Dotfield
