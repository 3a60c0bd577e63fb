#pragma once
// The humidity control that runs for the life of the application: it reads
// the sensor over and over on the thread that calls run(), hands every
// reading on, shows it in the humidity window, and keeps the humidity inside
// the band of "minHumidity" and "maxHumidity" by switching the relay (open
// above the maximum, closed below the minimum) on the relay's serial queue.
// It pauses 0.1 s after a good reading and goes on at once after a failure,
// which it hands to its failure handler. The stop flag is looked at before
// every reading; once the loop has seen it, it opens the relay (ignoring a
// failure) and releases the sensor, so the handle is never given back while
// a reading may still use it.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "Dotfield/Instrument/Humidity/HumiditySensor.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Instrument/Relay/RelayState.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/Semaphore.hpp"

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
    // Shows one reading; called on the main thread.
    using Display = std::function<void(const HumidityReading&)>;

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
    // Where readings are shown. At most one display waits for the main
    // thread: a reading that comes while one is pending is not shown.
    void setDisplay(Display display);

    double minHumidity() const { return minHumidity_.load(); }
    double maxHumidity() const { return maxHumidity_.load(); }
    // The band from the next reading on (the humidity window's limits).
    void setLimits(double minHumidity, double maxHumidity);

    // Runs the loop on the calling thread until stopReading(); at most once.
    void run();
    // Any thread: the loop ends after the reading under way (or does not start).
    void stopReading();
    bool readingFromHumiditySensor() const { return running_.load() && !stopRequested_.load(); }
    // True once run() has returned, the relay opened and the sensor released.
    bool ended() const { return ended_.load(); }

  private:
    struct DisplaySlot {
        Semaphore pending{1};
        Display display;
    };

    void readOnce();
    void showReading(const HumidityReading& reading);
    // The band rule for one humidity value, against the relay's known state;
    // throws RelayError.
    void triggerRelayBasedOnHumidity(double humidity);
    void finish();

    const Handlers handlers_;
    const std::shared_ptr<Sleeper> sleeper_;
    std::atomic<double> minHumidity_;
    std::atomic<double> maxHumidity_;

    mutable std::mutex mutex_;
    std::shared_ptr<HumiditySensor> sensor_;
    std::shared_ptr<Relay> relay_;
    std::shared_ptr<DisplaySlot> displaySlot_;

    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> ended_{false};
};

} // namespace Dotfield
