#pragma once
// Keeps the application's one camera set up: opens the first attached
// camera, configures it by its kind, hands it to its user (the camera window,
// which builds the image chain and sends the stored settings) and starts its
// capture. While no camera can be opened it tries again every 0.5 s; when the
// camera reports that it lost its frames a new camera is set up 0.5 s later.
//
// Threads: the set-up runs on a thread of its own, started by start() and
// joined by stop(); the user's calls run on that thread (and cameraLeaving
// also in stop()), one at a time. setUser() returns once a call under way has
// ended, so a user that is going away detaches itself safely.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield {

struct CameraSetUpEnvironment {
    // Paces the retries.
    std::shared_ptr<Clock> clock = systemClock();
    // What each new camera is given.
    IIDCCamera::Timing cameraTiming;
    // Console lines of the set-up (standard output by default).
    std::function<void(std::string_view)> console;
};

// What the camera's user is told, on the set-up thread.
struct CameraUser {
    // A new camera, configured, before its capture starts.
    std::function<void(const std::shared_ptr<IIDCCamera>&)> cameraArrived;
    // Its capture started.
    std::function<void()> cameraStarted;
    // The camera in use is about to be disconnected and let go.
    std::function<void()> cameraLeaving;
};

class CameraSetUpLoop {
  public:
    static constexpr std::chrono::milliseconds retryInterval{500};

    explicit CameraSetUpLoop(CameraSetUpEnvironment environment);
    // stop().
    ~CameraSetUpLoop();
    CameraSetUpLoop(const CameraSetUpLoop&) = delete;
    CameraSetUpLoop& operator=(const CameraSetUpLoop&) = delete;

    // Any thread; an empty user is told nothing.
    void setUser(CameraUser user);
    bool hasUser() const;
    // Starts the set-up thread; once, and not after stop().
    void start();
    // No more set-ups: the thread is joined and the camera disconnected and
    // let go. Later calls do nothing.
    void stop();

    // Any thread: the camera in use let go and a new one set up 0.5 s from
    // now, as when the camera lost its frames.
    void restart();

    // The camera set up last (none before the first set-up and after stop()).
    std::shared_ptr<IIDCCamera> camera() const;

  private:
    // Shared with the camera's error callback, which may outlive the loop.
    struct State {
        WakeSignal wake;
        std::atomic<bool> stopping{false};
        std::atomic<bool> restartRequested{false};
    };

    static void restart(State& state);
    void run();
    // One set-up; false when no camera could be opened.
    bool setUp();
    void configure(IIDCCamera& camera) const;
    void releaseCamera();
    // Waits until the deadline or stop; false when stopping.
    bool waitUntil(Clock::TimePoint deadline);
    void log(std::string_view line) const;

    const CameraSetUpEnvironment environment_;
    const std::shared_ptr<State> state_ = std::make_shared<State>();

    mutable std::mutex userMutex_;
    CameraUser user_;

    mutable std::mutex cameraMutex_;
    std::shared_ptr<IIDCCamera> camera_;

    std::mutex threadMutex_;
    std::thread thread_;
    bool stopped_ = false;
};

} // namespace Dotfield
