#pragma once
// The live microscope view. It owns the application's one camera and the
// image chain from the camera to the on-screen view:
//
//   camera -> [crop to 640 x 480, on the Blackfly kind] -> denoise -> view
//   camera -> luminance measurement -> automatic exposure
//   denoise -> movie, while a recording runs
//
// It records the denoised image to an MP4 movie, saves snapshots as PNG and
// opens the camera settings window.
//
// Threads: the window, its actions and cameraConnected belong to the main
// thread. The camera set-up runs on a worker of the window: it retries every
// 0.5 s while no camera can be opened, and sets up a new camera 0.5 s after
// the camera reports that it lost its frames, until the window goes or
// shutDown() is called. Frames, the luminance measurement, the automatic
// exposure and the movie's start and finish run on the image-processing
// queue; the movie is encoded on a thread of its own.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include <QMainWindow>

#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Camera/Exposure/AutomaticExposure.hpp"
#include "Dotfield/Platform/Clock.hpp"

class QAction;

namespace Dotfield {

class AverageLuminanceExtractor;
class CameraSettingsWindowController;
class Crop;
class FrameSnapshot;
class LowPassFilter;
class MovieOutput;
class RenderView;
class UserDefaults;

struct CameraWindowEnvironment {
    std::shared_ptr<UserDefaults> userDefaults;
    // Paces the set-up's retries.
    std::shared_ptr<Clock> clock = systemClock();
    // What each new camera is given.
    IIDCCamera::Timing cameraTiming;
    // The window's console lines (standard output by default).
    std::function<void(std::string_view)> console;
};

class CameraWindowController final : public QMainWindow {
    Q_OBJECT
    Q_PROPERTY(bool cameraConnected READ cameraConnected NOTIFY cameraConnectedChanged)

  public:
    static constexpr std::chrono::milliseconds retryInterval{500};

    // The window is placed and the set-up started at once.
    explicit CameraWindowController(CameraWindowEnvironment environment, QWidget* parent = nullptr);
    // Stops the set-up, finishes a recording and releases the camera.
    ~CameraWindowController() override;

    bool cameraConnected() const { return cameraConnected_; }
    RenderView* videoView() const { return videoView_; }
    CameraSettingsWindowController& cameraSettingsWindowController() {
        return *cameraSettingsWindowController_;
    }
    std::shared_ptr<IIDCCamera> camera() const;
    std::shared_ptr<LowPassFilter> denoiseFilter() const { return denoiseFilter_; }
    std::shared_ptr<MovieOutput> movieWriter() const;
    std::int64_t frameSkipped() const { return automaticExposure_.frameSkipped(); }
    QAction* recordItem() const { return recordItem_; }
    QAction* snapshotItem() const { return snapshotItem_; }
    QAction* settingsItem() const { return settingsItem_; }

    // Places the window at the bottom of the primary screen, 61 px from its
    // right edge; without a screen it stays where it is.
    void adjustInterfaceToFitDisplay();

    // Actions.
    void displayCameraSettings();
    void startOrStopRecording(QAction* sender);
    void takeSnapshot();

    // Finishes a running recording (queued on the image-processing queue).
    void stopCamera();
    // The end of the application: no more set-ups, a running recording
    // finished (waiting at most the time given), the camera released.
    // Main thread; later calls do nothing.
    void shutDown(std::chrono::milliseconds recordingWait = std::chrono::seconds(5));

    // On the image-processing queue, for each measured frame.
    void adjustCameraSettingsForLuminance(float luminance);

  signals:
    void cameraConnectedChanged(bool connected);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Shared with the camera's error callback, which may outlive the window.
    struct SetUpState {
        WakeSignal wake;
        std::atomic<bool> stopping{false};
        std::atomic<bool> restartRequested{false};
    };

    void buildWindow();
    void log(std::string_view line) const;
    // One set-up; false when no camera could be opened.
    bool cameraSetup();
    void configureCamera(IIDCCamera& camera);
    void setUpLoop();
    void stopSetUpLoop();
    // Waits until the deadline or stop; false when stopping.
    bool waitUntil(Clock::TimePoint deadline);
    // Any thread: a new set-up 0.5 s from now.
    static void restartCameraAfterError(const std::weak_ptr<SetUpState>& state);
    void releaseCamera();
    void setCameraConnected(bool connected);
    // Drops the movie from the chain and finishes it on the image-processing
    // queue; answers it (none when no recording runs).
    std::shared_ptr<MovieOutput> stopRecording();
    void recordingFailed(const std::shared_ptr<MovieOutput>& writer, const std::string& reason);
    // Runs the work on the main thread later, if the window still exists.
    void onMainThread(std::function<void()> work);

    const CameraWindowEnvironment environment_;
    CameraSettingsWindowController* cameraSettingsWindowController_ = nullptr;
    RenderView* videoView_ = nullptr;
    QAction* recordItem_ = nullptr;
    QAction* snapshotItem_ = nullptr;
    QAction* settingsItem_ = nullptr;
    bool cameraConnected_ = false;

    const std::shared_ptr<LowPassFilter> denoiseFilter_;
    const std::shared_ptr<AverageLuminanceExtractor> luminanceExtractor_;
    AutomaticExposure automaticExposure_;

    mutable std::mutex chainMutex_;
    std::shared_ptr<IIDCCamera> camera_;
    std::shared_ptr<Crop> crop_;
    std::shared_ptr<MovieOutput> movieWriter_;
    // The last snapshot asked for, attached again to a new camera's chain
    // while it still waits for its frame. Held here, since a new camera's
    // set-up empties the chain that otherwise holds it alone.
    std::shared_ptr<FrameSnapshot> pendingSnapshot_;

    const std::shared_ptr<SetUpState> setUpState_ = std::make_shared<SetUpState>();
    std::thread setUpThread_;
    bool shutDown_ = false;
    // Held by posted work to learn whether the window still exists.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace Dotfield
