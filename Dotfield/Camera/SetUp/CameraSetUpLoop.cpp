#include "Dotfield/Camera/SetUp/CameraSetUpLoop.hpp"

#include <optional>
#include <utility>

#include "Dotfield/Camera/Capture/ConsoleLine.hpp"

namespace Dotfield {

namespace {

constexpr int cameraOrientation = 1;

} // namespace

CameraSetUpLoop::CameraSetUpLoop(CameraSetUpEnvironment environment) : environment_(std::move(environment)) {}

CameraSetUpLoop::~CameraSetUpLoop() {
    stop();
}

void CameraSetUpLoop::setUser(CameraUser user) {
    std::lock_guard lock(userMutex_);
    user_ = std::move(user);
}

bool CameraSetUpLoop::hasUser() const {
    std::lock_guard lock(userMutex_);
    return static_cast<bool>(user_.cameraArrived);
}

void CameraSetUpLoop::start() {
    std::lock_guard lock(threadMutex_);
    if (stopped_ || thread_.joinable()) {
        return;
    }
    thread_ = std::thread([this] { run(); });
}

void CameraSetUpLoop::stop() {
    std::thread thread;
    {
        std::lock_guard lock(threadMutex_);
        if (stopped_) {
            return;
        }
        stopped_ = true;
        thread = std::move(thread_);
    }
    state_->stopping = true;
    state_->wake.raise();
    if (thread.joinable()) {
        thread.join();
    }
    releaseCamera();
}

std::shared_ptr<IIDCCamera> CameraSetUpLoop::camera() const {
    std::lock_guard lock(cameraMutex_);
    return camera_;
}

void CameraSetUpLoop::restart() {
    restart(*state_);
}

void CameraSetUpLoop::restart(State& state) {
    state.restartRequested = true;
    state.wake.raise();
}

void CameraSetUpLoop::log(std::string_view line) const {
    if (environment_.console) {
        environment_.console(line);
    } else {
        printConsoleLine(line);
    }
}

void CameraSetUpLoop::run() {
    auto& state = *state_;
    while (!state.stopping) {
        // A restart asked for while no camera was in use has nothing to restart.
        state.restartRequested = false;
        if (setUp()) {
            // Until the camera reports that it lost its frames.
            while (!state.stopping && !state.restartRequested) {
                environment_.clock->waitUntil(Clock::TimePoint::max(), state.wake);
            }
            state.restartRequested = false;
        }
        if (!waitUntil(environment_.clock->now() + retryInterval)) {
            return;
        }
    }
}

bool CameraSetUpLoop::waitUntil(Clock::TimePoint deadline) {
    auto& state = *state_;
    while (!state.stopping && environment_.clock->now() < deadline) {
        environment_.clock->waitUntil(deadline, state.wake);
    }
    return !state.stopping;
}

void CameraSetUpLoop::releaseCamera() {
    {
        std::lock_guard lock(userMutex_);
        if (user_.cameraLeaving) {
            user_.cameraLeaving();
        }
    }
    std::shared_ptr<IIDCCamera> old;
    {
        std::lock_guard lock(cameraMutex_);
        old = std::move(camera_);
    }
    // The old camera gives up the device before another one is opened.
    if (old) {
        old->disconnect();
    }
}

bool CameraSetUpLoop::setUp() {
    releaseCamera();
    std::shared_ptr<IIDCCamera> camera;
    try {
        camera = std::make_shared<IIDCCamera>(std::nullopt, cameraOrientation, environment_.cameraTiming);
    } catch (const std::exception&) {
        // No camera yet (or it cannot be opened): the loop tries again.
        return false;
    }
    camera->setRunBenchmark(true);
    camera->setErrorDuringFrameProcessingCallback([state = std::weak_ptr<State>(state_)] {
        if (const auto alive = state.lock()) {
            restart(*alive);
        }
    });
    {
        std::lock_guard lock(cameraMutex_);
        camera_ = camera;
    }
    configure(*camera);
    std::lock_guard lock(userMutex_);
    if (user_.cameraArrived) {
        user_.cameraArrived(camera);
    }
    camera->startCapture();
    if (user_.cameraStarted) {
        user_.cameraStarted();
    }
    return true;
}

void CameraSetUpLoop::configure(IIDCCamera& camera) const {
    log("Camera mode test");
    if (camera.supportsVideoMode(DC1394_VIDEO_MODE_FORMAT7_0)) {
        log("Blackfly");
        camera.setOperationMode(DC1394_OPERATION_MODE_1394B);
        camera.setIsoSpeed(DC1394_ISO_SPEED_800);
        camera.setVideoMode(DC1394_VIDEO_MODE_FORMAT7_0);
        camera.setColorspace(DC1394_COLOR_CODING_YUV422);
        camera.setRegionOfInterest(IIDCCamera::Region{320, 240, 640, 480});
        camera.setFramerate(DC1394_FRAMERATE_60);
        if (camera.isBlackflyCamera()) {
            camera.setBlackflyControlBit();
        }
    } else {
        log("Unibrain");
        camera.setOperationMode(DC1394_OPERATION_MODE_LEGACY);
        camera.setIsoSpeed(DC1394_ISO_SPEED_400);
        camera.setFramerate(DC1394_FRAMERATE_30);
        camera.setVideoMode(DC1394_VIDEO_MODE_640x480_YUV411);
    }
}

} // namespace Dotfield
