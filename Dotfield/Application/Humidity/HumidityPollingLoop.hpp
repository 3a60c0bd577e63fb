#pragma once
// The humidity control that runs for the life of the application: it reads
// the sensor over and over on the thread that calls run(), hands every
// reading on, and keeps the humidity inside the band of "minHumidity" and
// "maxHumidity" by switching the relay (open above the maximum, closed below
// the minimum) on the relay's serial queue. It pauses 0.1 s after a good
// reading and goes on at once after a failure, which it hands to its failure
// handler. When told to stop it ends after the reading under way and opens
// the relay, ignoring a failure. The humidity window shows what it reads.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/Relay/RelayState.hpp"
#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

class UserDefaults;

class HumidityPollingLoop {
  public:
    struct Handlers {
        // Every good reading, on the loop's thread.
        std::function<void(const HumidityReading&)> reading;
        // Every failure (HumiditySensorError, RelayError), on the loop's
        // thread; the loop waits until it returns.
        std::function<void(std::exception_ptr)> failure;
    };

    static constexpr Clock::Duration pauseAfterReading = std::chrono::milliseconds(100);

    // Reads the band's limits from the settings store (0.0 and 85.0 when absent).
    HumidityPollingLoop(std::shared_ptr<HumiditySensor> sensor, const UserDefaults& userDefaults,
                        Handlers handlers, std::shared_ptr<Sleeper> sleeper = systemSleeper());
    HumidityPollingLoop(const HumidityPollingLoop&) = delete;
    HumidityPollingLoop& operator=(const HumidityPollingLoop&) = delete;

    std::shared_ptr<HumiditySensor> humiditySensor() const;
    void setHumiditySensor(std::shared_ptr<HumiditySensor> sensor);
    // The relay the band switches; none leaves the relay alone.
    std::shared_ptr<Relay> relay() const;
    void setRelay(std::shared_ptr<Relay> relay);

    double minHumidity() const { return minHumidity_; }
    double maxHumidity() const { return maxHumidity_; }

    // Runs the loop on the calling thread until stopReading(); at most once.
    void run();
    // Any thread: the loop ends after the reading under way (or does not start).
    void stopReading();
    bool readingFromHumiditySensor() const { return running_.load() && !stopRequested_.load(); }

  private:
    void readOnce();
    // The band rule for one humidity value; throws RelayError.
    void triggerRelayBasedOnHumidity(double humidity);
    static void switchRelay(Relay& relay, RelayState state);

    const Handlers handlers_;
    const std::shared_ptr<Sleeper> sleeper_;
    const double minHumidity_;
    const double maxHumidity_;

    mutable std::mutex mutex_;
    std::shared_ptr<HumiditySensor> sensor_;
    std::shared_ptr<Relay> relay_;

    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    // The state the band last switched the relay to; the loop's thread only.
    RelayState humidityRelayState_ = RelayState::open;
};

} // namespace Dotfield
