#pragma once
// Announcements of the dispenser's drive values. The waveform generator
// commands post them from whatever thread runs the command (the electronics'
// queue); observers are called on the main thread, in posting order, so a
// window can show the values directly.
//
// Two notifications exist, each carrying one object:
//   "dispenserFrequencyChangeNotification"  the drive frequency (Zovudidova::Frequency)
//   "dispenserVoltageChangeNotification"    the drive voltage in volts (double)

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace Dotfield {

const std::string& dispenserFrequencyChangeNotification();
const std::string& dispenserVoltageChangeNotification();

struct Notification {
    std::string name;
    std::any object;
};

class NotificationCenter {
  public:
    using ObserverToken = std::uint64_t;
    using Observer = std::function<void(const Notification&)>;

    // The application's one centre.
    static NotificationCenter& defaultCenter();

    // Calls the observer on the main thread for every notification of that
    // name posted from now on, until it is removed.
    ObserverToken addObserver(const std::string& name, Observer observer);
    // Deliveries still on their way are dropped: removed on the main thread,
    // the observer is not called again.
    void removeObserver(ObserverToken token);

    // Hands the notification to every observer of its name; never waits for
    // the main thread.
    void post(const std::string& name, std::any object);

  private:
    struct Registration {
        std::string name;
        Observer observer;
    };

    bool isRegistered(ObserverToken token) const;

    mutable std::mutex mutex_;
    std::map<ObserverToken, Registration> observers_;
    ObserverToken nextToken_ = 1;
};

} // namespace Dotfield
