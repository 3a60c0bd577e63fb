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
// The camera comes from a set-up loop (CameraSetUpLoop): the application's,
// which the window is given and only uses, or, given none, one of its own
// that it starts at once and stops in shutDown(). Each camera the loop hands
// over is put at the head of the chain; the one leaving is taken out.
//
// Threads: the window, its actions and cameraConnected belong to the main
// thread. The chain is rebuilt on the set-up loop's thread. Frames, the
// luminance measurement, the automatic exposure and the movie's start and
// finish run on the image-processing queue; the movie is encoded on a thread
// of its own.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include <QMainWindow>

#include "Dotfield/Camera/Capture/IIDCCamera.hpp"
#include "Dotfield/Camera/Exposure/AutomaticExposure.hpp"
#include "Dotfield/Camera/SetUp/CameraSetUpLoop.hpp"
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
    // The set-up loop whose cameras the window shows, started and stopped by
    // its owner. None: the window sets cameras up itself, with the three
    // settings below.
    std::shared_ptr<CameraSetUpLoop> setUp;
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
    static constexpr std::chrono::milliseconds retryInterval = CameraSetUpLoop::retryInterval;

    // The window is placed, and its own set-up (when it was given none) started at once.
    explicit CameraWindowController(CameraWindowEnvironment environment, QWidget* parent = nullptr);
    // shutDown().
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
    // The end of the window: no more cameras taken from the set-up (its own
    // set-up stopped), a running recording finished (waiting at most the time
    // given), the camera out of the chain. Main thread; later calls do nothing.
    void shutDown(std::chrono::milliseconds recordingWait = std::chrono::seconds(5));

    // On the image-processing queue, for each measured frame.

  signals:
    void cameraConnectedChanged(bool connected);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildWindow();
    void log(std::string_view line) const;
    // On the set-up's thread: the camera at the head of the chain, given the
    // stored settings.
    void useCamera(const std::shared_ptr<IIDCCamera>& camera);
    // Takes the camera out of the chain.
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

    std::shared_ptr<CameraSetUpLoop> setUp_;
    // The set-up is the window's own.
    bool ownsSetUp_ = false;
    bool shutDown_ = false;
    // Held by posted work to learn whether the window still exists.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace Dotfield
