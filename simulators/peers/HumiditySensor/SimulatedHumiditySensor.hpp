#pragma once
// A temperature and humidity sensor behind the sensor library's calls: install
// it with Dotfield::setTHUMBackend and the application's sensor code talks to
// it as to a real one. It hands out handles, answers readings with the values
// set here, can fail readings with a chosen status, can be pulled out (the
// library then calls the removal callback and reports the sensor gone), and can
// hold a call midway so a test can act while the call is in progress.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>

#include "Dotfield/Platform/THUM/THUMBackend.hpp"

namespace Simulators {

class SimulatedHumiditySensor final : public Dotfield::THUMBackend {
  public:
    enum class Call { getHandle, read, releaseHandle };

    void setReading(double temperatureCelsius, double relativeHumidity);
    // Every reading answers this status; thumSuccess gives the values again.
    void setReadStatus(int status);
    // Every attempt to get a handle answers this status while the sensor is in.
    void setGetHandleStatus(int status);

    // Pulls the sensor out: the removal callback of every handle still held is
    // called (on this thread), and calls report thumNoSensor until it is back.
    void unplug();
    void plugBackIn();

    // Calls of this kind block on entry until releaseHeldCalls().
    void holdCalls(Call call);
    // Waits until a call of the held kind has blocked.
    void waitForHeldCall();
    void releaseHeldCalls();

    std::size_t readCount() const;
    std::size_t openHandleCount() const;
    std::size_t removalCallbackCount() const;

    int getHandle(unsigned char* handle, int options, Dotfield::THUMRemovalCallback removalCallback) override;
    int read(unsigned char* handle, double* temperatureCelsius, double* relativeHumidity) override;
    int releaseHandle(unsigned char* handle) override;

  private:
    struct OpenHandle {
        std::string identity;
        Dotfield::THUMRemovalCallback removalCallback;
        bool operator<(const OpenHandle& other) const { return identity < other.identity; }
    };

    void passGate(std::unique_lock<std::mutex>& lock, Call call);
    static std::string identityOf(const unsigned char* handle);

    mutable std::mutex mutex_;
    std::condition_variable gate_;
    double temperatureCelsius_ = 21.0;
    double relativeHumidity_ = 40.0;
    int readStatus_ = Dotfield::thumSuccess;
    int getHandleStatus_ = Dotfield::thumSuccess;
    bool unplugged_ = false;
    bool holding_ = false;
    Call heldCall_ = Call::read;
    std::size_t blockedCalls_ = 0;
    std::size_t handlesIssued_ = 0;
    std::size_t reads_ = 0;
    std::size_t removalCallbacks_ = 0;
    std::set<OpenHandle> openHandles_;
};

} // namespace Simulators
