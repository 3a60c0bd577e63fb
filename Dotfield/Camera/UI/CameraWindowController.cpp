#include "Dotfield/Camera/UI/CameraWindowController.hpp"

#include <cmath>
#include <future>
#include <system_error>

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QToolBar>

#include "Dotfield/Camera/Capture/CameraQueues.hpp"
#include "Dotfield/Camera/Capture/ConsoleLine.hpp"
#include "Dotfield/Camera/IIDC/IIDCCameraError.hpp"
#include "Dotfield/Camera/Recording/MovieOutput.hpp"
#include "Dotfield/Camera/Recording/Qt/FrameSnapshot.hpp"
#include "Dotfield/Camera/Stages/AverageLuminanceExtractor.hpp"
#include "Dotfield/Camera/Stages/Crop.hpp"
#include "Dotfield/Camera/Stages/LowPassFilter.hpp"
#include "Dotfield/Camera/UI/CameraSettingsWindowController.hpp"
#include "Dotfield/Camera/UI/RenderView.hpp"
#include "Dotfield/Instrument/HelperFunctions/PresentError.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/FileChoosers/SaveFileChooser.hpp"
#include "Dotfield/Platform/MainQueue.hpp"

namespace Dotfield {

namespace {

constexpr int distanceFromRightEdge = 61;
constexpr CropSize blackflyCrop{640, 480};
constexpr MovieSize movieSize{640, 480};

const char* const movieNotWrittenText = "The movie file could not be written. Check to make sure there is "
                                        "enough space on the hard drive or that the "
                                        "target movie file isn't read only.";

void showOneButtonAlert(const std::string& message, const std::string& informative) {
    presentError({.content = {.defaultButtonTitle = "OK",
                              .alternateButtonTitle = std::nullopt,
                              .messageText = message,
                              .informativeText = informative},
                  .defaultAction = [] {},
                  .alternateAction = [] {}});
}

// The stored denoise strength; missing, not finite or outside 0 to 1 gives 0.
double storedDenoiseStrength(const UserDefaults& defaults) {
    const double stored = defaults.doubleForKey("denoiseFilterStrength").value_or(0.0);
    if (!std::isfinite(stored) || stored < 0.0 || stored > 1.0) {
        return 0.0;
    }
    return static_cast<float>(stored);
}

// Runs the work on the main thread (later, when called elsewhere) if the
// token's owner still exists then.
void runOnMainThreadIfAlive(const std::weak_ptr<int>& alive, std::function<void()> work) {
    if (MainQueue::main().isCurrent()) {
        if (alive.lock()) {
            work();
        }
        return;
    }
    MainQueue::main().async([alive, work = std::move(work)] {
        if (alive.lock()) {
            work();
        }
    });
}

std::filesystem::path proposedFile(const std::string& name) {
    return std::filesystem::path(
               QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString()) /
           name;
}

} // namespace

CameraWindowController::CameraWindowController(CameraWindowEnvironment environment, QWidget* parent)
    : QMainWindow(parent), environment_(std::move(environment)),
      denoiseFilter_(std::make_shared<LowPassFilter>()),
      luminanceExtractor_(std::make_shared<AverageLuminanceExtractor>()) {
    setObjectName("CameraWindowController");
    setWindowTitle("Camera");
    // Made here, on the main thread, before any set-up hands it a camera.
    cameraSettingsWindowController_ = new CameraSettingsWindowController(environment_.userDefaults, this);
    buildWindow();
    adjustInterfaceToFitDisplay();
    setUp_ = environment_.setUp;
    if (!setUp_) {
        setUp_ = std::make_shared<CameraSetUpLoop>(CameraSetUpEnvironment{
            .clock = environment_.clock, .cameraTiming = environment_.cameraTiming, .console = environment_.console});
        ownsSetUp_ = true;
    }
    setUp_->setUser({.cameraArrived = [this](const std::shared_ptr<IIDCCamera>& camera) { useCamera(camera); },
                     .cameraStarted = [this] { onMainThread([this] { setCameraConnected(true); }); },
                     .cameraLeaving = [this] { releaseCamera(); }});
    if (ownsSetUp_) {
        setUp_->start();
    }
}

CameraWindowController::~CameraWindowController() {
    shutDown();
}

void CameraWindowController::buildWindow() {
    videoView_ = new RenderView(this);
    videoView_->setMinimumSize(640, 480);
    setCentralWidget(videoView_);
    auto* toolbar = addToolBar("Camera");
    toolbar->setObjectName("cameraToolbar");
    toolbar->setMovable(false);
    recordItem_ = toolbar->addAction("Record");
    snapshotItem_ = toolbar->addAction("Snapshot");
    settingsItem_ = toolbar->addAction("Settings");
    connect(recordItem_, &QAction::triggered, this, [this] { startOrStopRecording(recordItem_); });
    connect(snapshotItem_, &QAction::triggered, this, [this] { takeSnapshot(); });
    connect(settingsItem_, &QAction::triggered, this, [this] { displayCameraSettings(); });
    adjustSize();
}

void CameraWindowController::log(std::string_view line) const {
    if (environment_.console) {
        environment_.console(line);
    } else {
        printConsoleLine(line);
    }
}

std::shared_ptr<IIDCCamera> CameraWindowController::camera() const {
    std::lock_guard lock(chainMutex_);
    return camera_;
}

std::shared_ptr<MovieOutput> CameraWindowController::movieWriter() const {
    std::lock_guard lock(chainMutex_);
    return movieWriter_;
}

void CameraWindowController::adjustInterfaceToFitDisplay() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect display = screen->geometry();
    const QRect frame = frameGeometry();
    move(display.x() + display.width() - frame.width() - distanceFromRightEdge,
         display.y() + display.height() - frame.height());
}

// ---- Set-up -----------------------------------------------------------------

void CameraWindowController::releaseCamera() {
    {
        std::lock_guard lock(chainMutex_);
        if (camera_) {
            camera_->removeAllTargets();
        }
        if (crop_) {
            crop_->removeAllTargets();
        }
        denoiseFilter_->removeAllTargets();
        camera_.reset();
    }
    cameraSettingsWindowController_->setCamera(nullptr, denoiseFilter_);
}

void CameraWindowController::useCamera(const std::shared_ptr<IIDCCamera>& camera) {
    {
        std::lock_guard lock(chainMutex_);
        camera_ = camera;
        if (camera->isBlackflyCamera()) {
            crop_ = std::make_shared<Crop>();
            crop_->setCropSizeInPixels(blackflyCrop);
            camera->addTarget(crop_);
            crop_->addTarget(denoiseFilter_);
        } else {
            camera->addTarget(denoiseFilter_);
        }
        denoiseFilter_->addTarget(videoView_->target());
        // A recording goes on with the new camera's frames.
        if (movieWriter_) {
            denoiseFilter_->addTarget(movieWriter_);
        }
        // So does a snapshot asked for before this camera came.
        if (pendingSnapshot_ && !pendingSnapshot_->isTaken()) {
            denoiseFilter_->addTarget(pendingSnapshot_);
        } else {
            pendingSnapshot_.reset();
        }
    }
    denoiseFilter_->setStrength(storedDenoiseStrength(*environment_.userDefaults));
    camera->addTarget(luminanceExtractor_);
    luminanceExtractor_->setExtractedLuminanceCallback([this](const LuminanceReading& reading) {
        automaticExposure_.adjustCameraSettingsForLuminance(
            [&reading] { return static_cast<float>(reading.value()); }, *cameraSettingsWindowController_);
    });
    cameraSettingsWindowController_->setCamera(camera, denoiseFilter_);
    cameraSettingsWindowController_->initializeCameraSettings();
}

void CameraWindowController::setCameraConnected(bool connected) {
    if (cameraConnected_ == connected) {
        return;
    }
    cameraConnected_ = connected;
    emit cameraConnectedChanged(connected);
}

void CameraWindowController::onMainThread(std::function<void()> work) {
    runOnMainThreadIfAlive(alive_, std::move(work));
}

// ---- Actions ----------------------------------------------------------------

void CameraWindowController::displayCameraSettings() {
    cameraSettingsWindowController_->showWindow();
}

void CameraWindowController::startOrStopRecording(QAction* sender) {
    if (movieWriter()) {
        stopRecording();
        sender->setText("Record");
        return;
    }
    const auto chosen = currentSaveFileChooser()->chooseSaveFile(
        {.nameFilter = "Movies (*.mp4)", .defaultSuffix = "mp4", .proposedFile = proposedFile("Movie.mp4")});
    if (!chosen) {
        return;
    }
    std::error_code error;
    if (std::filesystem::exists(*chosen, error)) {
        std::filesystem::remove(*chosen, error);
        if (error) {
            showOneButtonAlert("Could not start recording.", movieNotWrittenText);
            return;
        }
    }
    std::shared_ptr<MovieOutput> writer;
    try {
        writer = std::make_shared<MovieOutput>(*chosen, movieSize, true,
                                               MovieOutput::Options{.console = environment_.console});
    } catch (const MovieOutputError& failure) {
        log("Couldn't start movie recording");
        showOneButtonAlert("Could not start recording.",
                           std::string(movieNotWrittenText) + "\n\n" + failure.what());
        return;
    }
    std::weak_ptr<MovieOutput> weakWriter = writer;
    writer->setFailureCallback(
        [this, alive = std::weak_ptr<int>(alive_), weakWriter](const std::string& reason) {
            // On the writer's thread: the rest happens on the main thread.
            runOnMainThreadIfAlive(alive, [this, weakWriter, reason] {
                if (const auto failed = weakWriter.lock()) {
                    recordingFailed(failed, reason);
                }
            });
        });
    writer->startRecording();
    {
        std::lock_guard lock(chainMutex_);
        movieWriter_ = writer;
        denoiseFilter_->addTarget(writer);
    }
    sender->setText("Stop");
}

void CameraWindowController::recordingFailed(const std::shared_ptr<MovieOutput>& writer,
                                             const std::string& reason) {
    if (movieWriter() != writer) {
        return;
    }
    stopRecording();
    recordItem_->setText("Record");
    showOneButtonAlert("Recording stopped.", std::string(movieNotWrittenText) + "\n\n" + reason);
}

std::shared_ptr<MovieOutput> CameraWindowController::stopRecording() {
    std::shared_ptr<MovieOutput> writer;
    {
        std::lock_guard lock(chainMutex_);
        writer = std::move(movieWriter_);
        if (writer) {
            denoiseFilter_->removeTarget(writer);
        }
    }
    if (writer) {
        // Between two frames; the writer alone is held, not the window.
        sharedImageProcessingQueue().async([writer] { writer->finishRecording(); });
    }
    return writer;
}

void CameraWindowController::takeSnapshot() {
    const auto chosen =
        currentSaveFileChooser()->chooseSaveFile({.nameFilter = "Images (*.png)",
                                                  .defaultSuffix = "png",
                                                  .proposedFile = proposedFile("Snapshot.png")});
    if (!chosen) {
        return;
    }
    // The snapshot leaves the chain once it has its frame.
    auto self = std::make_shared<std::weak_ptr<FrameSnapshot>>();
    auto snapshot = std::make_shared<FrameSnapshot>(
        *chosen, [self, filter = std::weak_ptr<LowPassFilter>(denoiseFilter_),
                  alive = std::weak_ptr<int>(alive_)](const std::string& failure) {
            const auto stage = filter.lock();
            const auto taken = self->lock();
            if (stage && taken) {
                stage->removeTarget(taken);
            }
            if (!failure.empty()) {
                runOnMainThreadIfAlive(
                    alive, [failure] { showOneButtonAlert("Could not save the snapshot.", failure); });
            }
        });
    *self = snapshot;
    std::lock_guard lock(chainMutex_);
    pendingSnapshot_ = snapshot;
    denoiseFilter_->addTarget(snapshot);
}

void CameraWindowController::stopCamera() {
    stopRecording();
}

void CameraWindowController::closeEvent(QCloseEvent* event) {
    stopCamera();
    recordItem_->setText("Record");
    QMainWindow::closeEvent(event);
}

void CameraWindowController::shutDown(std::chrono::milliseconds recordingWait) {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    if (ownsSetUp_) {
        setUp_->stop();
    }
    // No camera is handed to this window from now on.
    setUp_->setUser({});
    if (const auto writer = stopRecording()) {
        auto finished = std::make_shared<std::promise<void>>();
        auto done = finished->get_future();
        sharedImageProcessingQueue().async([finished] { finished->set_value(); });
        if (done.wait_for(recordingWait) != std::future_status::ready) {
            log("The movie recording did not finish in time");
        }
    }
    luminanceExtractor_->setExtractedLuminanceCallback(nullptr);
    releaseCamera();
}

} // namespace Dotfield
