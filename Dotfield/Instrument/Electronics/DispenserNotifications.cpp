#include "Dotfield/Instrument/Electronics/DispenserNotifications.hpp"

#include <utility>
#include <vector>

#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

const std::string& dispenserFrequencyChangeNotification() {
    static const std::string name = "dispenserFrequencyChangeNotification";
    return name;
}

const std::string& dispenserVoltageChangeNotification() {
    static const std::string name = "dispenserVoltageChangeNotification";
    return name;
}

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::ObserverToken NotificationCenter::addObserver(const std::string& name,
                                                                  Observer observer) {
    std::lock_guard lock(mutex_);
    const ObserverToken token = nextToken_++;
    observers_.emplace(token, Registration{name, std::move(observer)});
    return token;
}

void NotificationCenter::removeObserver(ObserverToken token) {
    std::lock_guard lock(mutex_);
    observers_.erase(token);
}

bool NotificationCenter::isRegistered(ObserverToken token) const {
    std::lock_guard lock(mutex_);
    return observers_.contains(token);
}

void NotificationCenter::post(const std::string& name, std::any object) {
    std::vector<std::pair<ObserverToken, Observer>> receivers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [token, registration] : observers_) {
            if (registration.name == name) {
                receivers.emplace_back(token, registration.observer);
            }
        }
    }
    if (receivers.empty()) {
        return;
    }
    auto notification = std::make_shared<const Notification>(Notification{name, std::move(object)});
    for (auto& [token, observer] : receivers) {
        MainQueue::main().async([this, token = token, observer = std::move(observer), notification] {
            // An observer removed since the post is not called any more.
            if (isRegistered(token)) {
                observer(*notification);
            }
        });
    }
}

} // namespace Dotfield
