#pragma once
// One FireWire (IIDC) camera opened through libdc1394 (behind the IIDCBackend
// seam), captured on a thread of its own and delivering its frames to targets
// on the shared image-processing queue.
//
// Threads: the initialiser and disconnect() run on the caller's thread; every
// libdc1394 call on the open camera runs on the camera queue
// ("com.harrowlane.GPUImage.IIDCCameraDispatchQueue"); the capture thread
// waits with poll() on the capture descriptor and hands each frame to the
// camera queue; the watchdog runs on its timer's thread. A one-slot semaphore
// is held while a frame is processed and while the camera is disconnected, so
// the camera is never freed under a frame in flight.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <dc1394/dc1394.h>

#include "Dotfield/Camera/Capture/CaptureDescriptorWatch.hpp"
#include "Dotfield/Camera/Capture/FrameTime.hpp"
#include "Dotfield/Camera/Capture/IIDCFrame.hpp"
#include "Dotfield/Camera/Frames/FrameBufferPool.hpp"
#include "Dotfield/Camera/IIDC/IIDCBackendSelection.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Platform/Semaphore.hpp"
#include "Dotfield/Platform/SerialQueue.hpp"

namespace Dotfield {

// A frame size in pixels.
struct FrameSize {
    float width = 640.0F;
    float height = 480.0F;
    friend bool operator==(const FrameSize& a, const FrameSize& b) = default;
};

// Minimum and maximum of one feature.
struct FeatureBoundaries {
    std::uint32_t min = 0;
    std::uint32_t max = 0;
};

class IIDCCamera : public IIDCFrameSource {
  public:
    static constexpr std::uint32_t NUM_BUFFERS = 50;

    // Where time comes from (frame times, the watchdog, the FPS print), and
    // the longest the capture thread waits in one poll before it looks at its
    // flags again.
    struct Timing {
        std::shared_ptr<Clock> clock = systemClock();
        std::chrono::milliseconds pollInterval{100};
    };

    // Opens the camera with the identifier (guid and unit), or the first
    // attached one; powers it, reads its feature bounds and puts every
    // feature under manual control. Throws IIDCCameraError.
    IIDCCamera(std::optional<dc1394camera_id_t> cameraID, int orientation, Timing timing);
    IIDCCamera(std::optional<dc1394camera_id_t> cameraID, int orientation);
    // Disconnects the camera and waits for its capture thread to end.
    ~IIDCCamera();
    IIDCCamera(const IIDCCamera&) = delete;
    IIDCCamera& operator=(const IIDCCamera&) = delete;

    int orientation() const { return orientation_; }
    void setOrientation(int orientation) { orientation_ = orientation; }
    // Run on the camera callback queue when capture fails; at most once per camera.
    void setErrorDuringFrameProcessingCallback(std::function<void()> callback);
    dc1394color_coding_t colorspace() const { return colorspace_.load(); }
    void setColorspace(dc1394color_coding_t coding) { colorspace_.store(coding); }
    bool runBenchmark() const { return runBenchmark_.load(); }
    void setRunBenchmark(bool on) { runBenchmark_.store(on); }
    bool logFPS() const { return logFPS_.load(); }
    void setLogFPS(bool on) { logFPS_.store(on); }

    // The bounds read by the initialiser (0 until then, and for a bound the
    // camera did not give).
    FeatureBoundaries boundaries(dc1394feature_t feature) const;
    std::uint32_t brightnessMin() const { return boundaries(DC1394_FEATURE_BRIGHTNESS).min; }
    std::uint32_t brightnessMax() const { return boundaries(DC1394_FEATURE_BRIGHTNESS).max; }
    std::uint32_t exposureMin() const { return boundaries(DC1394_FEATURE_EXPOSURE).min; }
    std::uint32_t exposureMax() const { return boundaries(DC1394_FEATURE_EXPOSURE).max; }
    std::uint32_t sharpnessMin() const { return boundaries(DC1394_FEATURE_SHARPNESS).min; }
    std::uint32_t sharpnessMax() const { return boundaries(DC1394_FEATURE_SHARPNESS).max; }
    std::uint32_t whiteBalanceMin() const { return boundaries(DC1394_FEATURE_WHITE_BALANCE).min; }
    std::uint32_t whiteBalanceMax() const { return boundaries(DC1394_FEATURE_WHITE_BALANCE).max; }
    std::uint32_t saturationMin() const { return boundaries(DC1394_FEATURE_SATURATION).min; }
    std::uint32_t saturationMax() const { return boundaries(DC1394_FEATURE_SATURATION).max; }
    std::uint32_t gammaMin() const { return boundaries(DC1394_FEATURE_GAMMA).min; }
    std::uint32_t gammaMax() const { return boundaries(DC1394_FEATURE_GAMMA).max; }
    std::uint32_t shutterMin() const { return boundaries(DC1394_FEATURE_SHUTTER).min; }
    std::uint32_t shutterMax() const { return boundaries(DC1394_FEATURE_SHUTTER).max; }
    std::uint32_t gainMin() const { return boundaries(DC1394_FEATURE_GAIN).min; }
    std::uint32_t gainMax() const { return boundaries(DC1394_FEATURE_GAIN).max; }

    const dc1394video_modes_t& supportedVideoModes() const { return supportedVideoModes_; }
    // The mode is among the first num supported modes (never beyond 32).
    bool supportsVideoMode(dc1394video_mode_t mode) const;

    // Image features: reads wait on the camera queue (0 when the camera
    // leaves the value unset); writes are queued and return at once.
    std::uint32_t featureValue(dc1394feature_t feature);
    void setFeatureValue(dc1394feature_t feature, std::uint32_t value);
    std::uint32_t brightness() { return featureValue(DC1394_FEATURE_BRIGHTNESS); }
    void setBrightness(std::uint32_t v) { setFeatureValue(DC1394_FEATURE_BRIGHTNESS, v); }
    std::uint32_t exposure() { return featureValue(DC1394_FEATURE_EXPOSURE); }
    void setExposure(std::uint32_t v) { setFeatureValue(DC1394_FEATURE_EXPOSURE, v); }
    std::uint32_t shutter() { return featureValue(DC1394_FEATURE_SHUTTER); }
    void setShutter(std::uint32_t v) { setFeatureValue(DC1394_FEATURE_SHUTTER, v); }
    std::uint32_t sharpness() { return featureValue(DC1394_FEATURE_SHARPNESS); }
    void setSharpness(std::uint32_t v) { setFeatureValue(DC1394_FEATURE_SHARPNESS, v); }
    std::uint32_t saturation() { return featureValue(DC1394_FEATURE_SATURATION); }
    void setSaturation(std::uint32_t v) { setFeatureValue(DC1394_FEATURE_SATURATION, v); }
    std::uint32_t gamma() { return featureValue(DC1394_FEATURE_GAMMA); }
    void setGamma(std::uint32_t v) { setFeatureValue(DC1394_FEATURE_GAMMA, v); }
    std::uint32_t gain() { return featureValue(DC1394_FEATURE_GAIN); }
    void setGain(std::uint32_t v) { setFeatureValue(DC1394_FEATURE_GAIN, v); }
    struct WhiteBalance {
        std::uint32_t blue = 0; // U
        std::uint32_t red = 0;  // V
        friend bool operator==(const WhiteBalance&, const WhiteBalance&) = default;
    };
    WhiteBalance whiteBalance();
    void setWhiteBalance(WhiteBalance value);

    // Stream settings, read and written like the features; a read the camera
    // leaves unset gives 800 Mb/s, 60 frames/s, 1394B and format 7 mode 0.
    dc1394speed_t isoSpeed();
    void setIsoSpeed(dc1394speed_t speed);
    dc1394framerate_t framerate();
    void setFramerate(dc1394framerate_t framerate);
    dc1394operation_mode_t operationMode();
    void setOperationMode(dc1394operation_mode_t mode);
    dc1394video_mode_t videoMode();
    // Queued: sets the mode, then for the fixed modes 64 to 86 the frame
    // size, staging buffer and colour coding, for format 7 mode 0 the packet
    // size.
    void setVideoMode(dc1394video_mode_t mode);

    // A format 7 window in pixels.
    struct Region {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
    };
    std::optional<Region> regionOfInterest();
    // Only in format 7 mode 0 and only to a region (both else stop the
    // program). Queued: the window is rounded to whole pixels and sent; the
    // frame size is then the image size the camera reports. A region with a
    // value that is negative, not finite or beyond 32 bits is refused with a
    // log line and nothing is sent.
    void setRegionOfInterest(std::optional<Region> region);
    // Queued for the Blackfly kind: sets bit 0 of its control register 0x19D0.
    void setBlackflyControlBit();
    // The camera offers format 7 mode 0 and not 1280 x 960 YUV 4:2:2.
    bool isBlackflyCamera() const { return isBlackflyCamera_; }

    SerialQueue& serialDispatchQueue() { return serialDispatchQueue_; }
    bool cameraShouldPoll() const { return cameraShouldPoll_.load(); }
    // The camera handle is open (between a successful initialiser and disconnect).
    bool isConnected();
    // The capture thread was started and has not ended yet.
    bool isCaptureThreadRunning() const { return captureThreadRunning_.load(); }

    // Frame size in pixels; set on the camera queue.
    FrameSize frameSize();
    void setFrameSize(FrameSize size);
    // Resizes the staging buffer to the frame size (width x height x 2 bytes).
    void reallocateFrameBuffer();
    // Bytes of the staging buffer; 0 when there is none.
    std::size_t frameBufferSize();

    std::int64_t numberOfFramesCaptured() const { return numberOfFramesCaptured_.load(); }
    double totalFrameTimeDuringCapture() const { return totalFrameTimeDuringCapture_.load(); }
    std::optional<FrameTime> currentFrameTime() const;

    // Queued on the camera queue; return at once.
    void startCapture();
    void stopCapture();
    // Ends frame processing, waits for a frame in flight, powers the camera
    // off and frees it, and waits for the capture thread to end.
    void disconnect();

  private:
    void readFeatureBoundaries();
    void setManualFeatureModes();
    void freeCameraAfterFailedInit();

    // Capture (IIDCCameraCapture.cpp).
    bool beginCapture();
    void endCapture();
    void cameraActivationThread(bool setUpSucceeded);
    void newFrameAvailable(bool deviceHungUp);
    const std::uint8_t* yuv422Of(const dc1394video_frame_t& frame);
    void countFrame(Clock::TimePoint start);
    void bailOut();
    void disconnectCamera();
    void reportFailure();
    void joinCaptureThread();
    void cameraStatusCheckCallback();
    void noteUpdate(Clock::TimePoint time);

    // Delivery (IIDCCameraDelivery.cpp).
    void deliverFrame(const std::uint8_t* yuv422, std::uint32_t width, std::uint32_t height);
    void updateFrameTime();

    std::shared_ptr<Clock> clock_;
    const std::chrono::milliseconds pollInterval_;
    SerialQueue serialDispatchQueue_;
    std::unique_ptr<IIDCCameraUse> use_;
    std::shared_ptr<IIDCContext> context_;
    IIDCBackend* backend_ = nullptr;

    int orientation_;
    std::mutex callbackMutex_;
    std::function<void()> errorDuringFrameProcessingCallback_;
    std::atomic<dc1394color_coding_t> colorspace_{DC1394_COLOR_CODING_YUV422};
    std::atomic<bool> runBenchmark_{false};
    std::atomic<bool> logFPS_{false};
    std::vector<FeatureBoundaries> boundaries_;

    // Touched on the camera queue only.
    dc1394camera_t* camera_ = nullptr;
    std::optional<std::vector<std::uint8_t>> frameBytes_;
    // The frames handed to the targets, written again once let go.
    FrameBufferPool pixelBuffers_;
    FrameSize frameSize_;
    std::optional<Region> regionOfInterest_;
    std::atomic<bool> captureRunning_{false}; // written on the camera queue
    bool timerResumed_ = false;
    std::unique_ptr<RepeatingTimer> dispatchTimer_;
    std::int64_t framesSinceLastCheck_ = 0;
    Clock::TimePoint lastCheckTime_;

    Semaphore frameRenderingSemaphore_{1};
    dc1394video_modes_t supportedVideoModes_{};
    bool isBlackflyCamera_ = false;
    std::atomic<bool> cameraShouldPoll_{false};
    std::atomic<bool> bailedOut_{false};
    std::atomic<bool> failureReported_{false};
    std::atomic<bool> disconnectRequested_{false};
    std::atomic<bool> captureThreadRunning_{false};
    CaptureDescriptorWatch watch_;
    std::mutex threadMutex_;
    std::thread cameraFrameCallbackThread_;
    bool threadStarted_ = false; // camera queue

    std::atomic<std::int64_t> numberOfFramesCaptured_{0};
    std::atomic<double> totalFrameTimeDuringCapture_{0.0};
    // Frame time in ticks of 1/600 s; absent until the first frame.
    std::atomic<bool> hasFrameTime_{false};
    std::atomic<std::int64_t> currentFrameTimeValue_{0};
    // Clock time of the last delivered frame or of capture start, in
    // nanoseconds since the clock's epoch; absent until capture starts.
    std::atomic<bool> hasLastUpdate_{false};
    std::atomic<Clock::Duration::rep> actualTimeOfLastUpdate_{0};
};

} // namespace Dotfield
