// The capture half of IIDCCamera: starting and stopping capture, the capture
// thread, frame processing, the stall watchdog and disconnecting.

#include <cmath>
#include <cstdio>
#include <string>

#include "Dotfield/Camera/Capture/CameraQueues.hpp"
#include "Dotfield/Camera/Capture/ConsoleLine.hpp"
#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Camera/Frames/YUVConversion.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

using Diagnostics::printWithContext;

constexpr std::chrono::milliseconds watchdogInterval{500};
constexpr std::chrono::milliseconds watchdogLeeway{500};
constexpr double stallSeconds = 5.0;
constexpr std::uint32_t freshFrameLimit = 2;

double seconds(Clock::Duration duration) {
    return std::chrono::duration<double>(duration).count();
}

// Gives the frame slot back however frame processing ends.
class SignalOnExit {
  public:
    explicit SignalOnExit(Semaphore& semaphore) : semaphore_(semaphore) {}
    ~SignalOnExit() { semaphore_.signal(); }
    SignalOnExit(const SignalOnExit&) = delete;
    SignalOnExit& operator=(const SignalOnExit&) = delete;

  private:
    Semaphore& semaphore_;
};

} // namespace

void IIDCCamera::startCapture() {
    serialDispatchQueue_.async([this] {
        if (threadStarted_) {
            printWithContext("Trying to reactivate camera");
            return;
        }
        if (camera_ == nullptr) {
            return; // disconnected: there is nothing to capture
        }
        threadStarted_ = true;
        const bool setUp = beginCapture();
        std::lock_guard lock(threadMutex_);
        captureThreadRunning_ = true;
        cameraFrameCallbackThread_ = std::thread([this, setUp] { cameraActivationThread(setUp); });
    });
}

void IIDCCamera::stopCapture() {
    serialDispatchQueue_.async([this] { endCapture(); });
}

void IIDCCamera::disconnect() {
    // The owner's own disconnect is no failure to report, even when a failing
    // frame or a watchdog tick meets it.
    disconnectRequested_ = true;
    disconnectCamera();
    joinCaptureThread();
}

void IIDCCamera::noteUpdate(Clock::TimePoint time) {
    actualTimeOfLastUpdate_.store(time.time_since_epoch().count());
    hasLastUpdate_.store(true);
}

// On the camera queue.
bool IIDCCamera::beginCapture() {
    cameraShouldPoll_ = true;
    if (backend_->captureSetup(camera_, NUM_BUFFERS, DC1394_CAPTURE_FLAGS_DEFAULT) != DC1394_SUCCESS) {
        printWithContext("Internal error, bailing out");
        cameraShouldPoll_ = false;
        bailedOut_ = true;
        return false;
    }
    watch_.setDescriptor(backend_->captureGetFileno(camera_));
    captureRunning_ = true;
    if (backend_->videoSetTransmission(camera_, DC1394_ON) != DC1394_SUCCESS) {
        printWithContext("Error in setting transmission on");
    }
    noteUpdate(clock_->now());
    if (!dispatchTimer_) {
        dispatchTimer_ = std::make_unique<RepeatingTimer>(clock_);
        dispatchTimer_->schedule(watchdogInterval, watchdogLeeway);
        dispatchTimer_->setEventHandler([this] { cameraStatusCheckCallback(); });
    }
    dispatchTimer_->resume();
    timerResumed_ = true;
    return true;
}

// On the camera queue. Nothing to do before capture started or after it ended.
void IIDCCamera::endCapture() {
    if (!captureRunning_) {
        return;
    }
    if (timerResumed_) {
        dispatchTimer_->suspend();
        timerResumed_ = false;
    }
    // No poll may use the descriptor once capture_stop has closed it.
    watch_.withdrawDescriptor();
    backend_->videoSetTransmission(camera_, DC1394_OFF);
    backend_->captureStop(camera_);
    captureRunning_ = false;
    watch_.wake();
}

void IIDCCamera::cameraActivationThread(bool setUpSucceeded) {
    if (setUpSucceeded) {
        while (cameraShouldPoll_ && captureRunning_) {
            const CaptureDescriptorWatch::Event event = watch_.wait(pollInterval_);
            if (event == CaptureDescriptorWatch::Event::none || !cameraShouldPoll_) {
                continue;
            }
            // Held while a frame is processed or the camera disconnected: the
            // frame waits in the ring for the next turn.
            if (!frameRenderingSemaphore_.waitFor(pollInterval_)) {
                continue;
            }
            serialDispatchQueue_.sync(
                [&] { newFrameAvailable(event == CaptureDescriptorWatch::Event::hungUp); });
            if (bailedOut_) {
                break;
            }
        }
    }
    if (bailedOut_) {
        disconnectCamera();
        reportFailure();
    }
    captureThreadRunning_ = false;
}

// On the camera queue, with the frame slot taken.
void IIDCCamera::newFrameAvailable(bool deviceHungUp) {
    const SignalOnExit release(frameRenderingSemaphore_);
    if (!cameraShouldPoll_ || camera_ == nullptr || !captureRunning_) {
        return;
    }
    const Clock::TimePoint start = clock_->now();
    dc1394video_frame_t* frame = nullptr;
    if (backend_->captureDequeue(camera_, DC1394_CAPTURE_POLICY_POLL, &frame) != DC1394_SUCCESS) {
        bailOut();
        return;
    }
    if (frame == nullptr) {
        // An event without a frame (a bus reset) is no failure; a device that
        // hung up has none to give any more.
        if (deviceHungUp) {
            bailOut();
        }
        return;
    }
    // Only a fresh frame is shown: older ones go straight back to the ring.
    while (frame->frames_behind > freshFrameLimit) {
        backend_->captureEnqueue(camera_, frame);
        frame = nullptr;
        if (backend_->captureDequeue(camera_, DC1394_CAPTURE_POLICY_POLL, &frame) != DC1394_SUCCESS) {
            bailOut();
            return;
        }
        if (frame == nullptr) {
            return;
        }
    }
    if (const std::uint8_t* yuv422 = yuv422Of(*frame)) {
        const auto width = static_cast<std::uint32_t>(std::lround(frameSize_.width));
        const auto height = static_cast<std::uint32_t>(std::lround(frameSize_.height));
        sharedImageProcessingQueue().sync([&] { deliverFrame(yuv422, width, height); });
    }
    backend_->captureEnqueue(camera_, frame);
    countFrame(start);
}

// The frame as YUV 4:2:2 of the frame size: a 4:2:2 frame is read where the
// camera left it (it stays in its ring buffer until delivered), a 4:1:1 frame
// is expanded into the staging buffer. None for a frame that does not hold a
// whole frame of the frame size, without a staging buffer with room for one,
// or in another coding: those are not shown.
const std::uint8_t* IIDCCamera::yuv422Of(const dc1394video_frame_t& frame) {
    const double width = std::round(frameSize_.width);
    const double height = std::round(frameSize_.height);
    if (!frameBytes_ || frame.image == nullptr || !(width > 0.0) || !(height > 0.0)) {
        return nullptr;
    }
    const double pixels = width * height;
    if (pixels * 2.0 > static_cast<double>(frameBytes_->size())) {
        return nullptr;
    }
    const auto pixelCount = static_cast<std::size_t>(pixels);
    switch (colorspace_.load()) {
    case DC1394_COLOR_CODING_YUV422:
        return pixelCount * 2 <= frame.image_bytes ? frame.image : nullptr;
    case DC1394_COLOR_CODING_YUV411:
        return expandYUV411ToYUV422(frame.image, frame.image_bytes, frameBytes_->data(), frameBytes_->size(),
                                    pixelCount)
                   ? frameBytes_->data()
                   : nullptr;
    default:
        return nullptr;
    }
}

void IIDCCamera::countFrame(Clock::TimePoint start) {
    const Clock::TimePoint now = clock_->now();
    if (logFPS_) {
        if (seconds(now - lastCheckTime_) > 1.0) {
            lastCheckTime_ = now;
            printConsoleLine("FPS: " + std::to_string(framesSinceLastCheck_));
            framesSinceLastCheck_ = 1;
        } else {
            ++framesSinceLastCheck_;
        }
    }
    if (runBenchmark_) {
        numberOfFramesCaptured_.fetch_add(1);
        totalFrameTimeDuringCapture_.store(totalFrameTimeDuringCapture_.load() + seconds(now - start));
    }
}

// On the camera queue: capture has failed. The capture thread ends after this
// frame and disconnects the camera once the frame slot is free.
void IIDCCamera::bailOut() {
    endCapture();
    printWithContext("Internal error, bailing out");
    cameraShouldPoll_ = false;
    bailedOut_ = true;
}

void IIDCCamera::disconnectCamera() {
    cameraShouldPoll_ = false;
    watch_.wake();
    frameRenderingSemaphore_.wait();
    serialDispatchQueue_.sync([this] {
        cameraShouldPoll_ = false;
        if (camera_ == nullptr) {
            return;
        }
        printWithContext("Deactivating camera");
        endCapture();
        backend_->cameraSetPower(camera_, DC1394_OFF);
        backend_->cameraFree(camera_);
        camera_ = nullptr;
        frameBytes_.reset();
        use_.reset();
    });
    frameRenderingSemaphore_.signal();
}

void IIDCCamera::reportFailure() {
    if (disconnectRequested_ || failureReported_.exchange(true)) {
        return;
    }
    std::function<void()> callback;
    {
        std::lock_guard lock(callbackMutex_);
        callback = errorDuringFrameProcessingCallback_;
    }
    if (callback) {
        cameraCallbackQueue().async(std::move(callback));
    }
}

void IIDCCamera::joinCaptureThread() {
    std::lock_guard lock(threadMutex_);
    if (cameraFrameCallbackThread_.joinable() &&
        cameraFrameCallbackThread_.get_id() != std::this_thread::get_id()) {
        cameraFrameCallbackThread_.join();
    }
}

// Every 500 ms on the timer's thread.
void IIDCCamera::cameraStatusCheckCallback() {
    if (!cameraShouldPoll_) {
        return;
    }
    const bool stalled = serialDispatchQueue_.sync([this] {
        if (!cameraShouldPoll_ || camera_ == nullptr || !hasLastUpdate_) {
            return false;
        }
        const Clock::Duration since =
            clock_->now().time_since_epoch() - Clock::Duration(actualTimeOfLastUpdate_.load());
        if (seconds(since) <= stallSeconds) {
            return false;
        }
        endCapture();
        return true;
    });
    if (!stalled) {
        return;
    }
    disconnectCamera();
    joinCaptureThread();
    printWithContext("Error with the camera");
    reportFailure();
}

} // namespace Dotfield
