#pragma once
// The camera window on the simulated FireWire bus, offscreen: a main-thread
// pump driven by the test, scripted alerts and save choosers, an in-memory
// settings store and the window's console lines.

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QImage>

#include "Dotfield/Camera/UI/CameraWindowController.hpp"
#include "Dotfield/Camera/UI/RenderView.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Alerts/ScriptedAlertPresenter.hpp"
#include "Dotfield/Platform/FileChoosers/ScriptedSaveFileChooser.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/tests/Camera/SimulatedCameraFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace DotfieldCameraTests {

class CameraWindowFixture : public SimulatedCameraFixture {
  protected:
    void TearDown() override {
        window.reset();
        SimulatedCameraFixture::TearDown();
    }

    void openWindow(std::shared_ptr<Dotfield::Clock> clock = Dotfield::systemClock()) {
        Dotfield::CameraWindowEnvironment environment;
        environment.userDefaults = defaults;
        environment.clock = std::move(clock);
        environment.cameraTiming = cameraTiming;
        environment.console = [this](std::string_view line) {
            std::lock_guard lock(consoleMutex);
            consoleLines.emplace_back(line);
        };
        window = std::make_unique<Dotfield::CameraWindowController>(std::move(environment));
        window->show();
    }

    bool pumpUntil(const std::function<bool()>& condition) {
        return mainThread.pump().runUntil(condition, Dotfield::Testing::eventuallyLimit);
    }

    // Waits for the window's camera to stream, then makes frames one by one
    // until the view has shown `count` more.
    void showFrames(Simulators::SimulatedIIDCCamera& simulated, std::size_t count) {
        ASSERT_TRUE(pumpUntil([&] { return window->cameraConnected() && simulated.isTransmitting(); }));
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t before = window->videoView()->framesShown();
            simulated.emitFrames(1);
            ASSERT_TRUE(pumpUntil([&] { return window->videoView()->framesShown() > before; }));
        }
    }

    std::vector<std::string> console() {
        std::lock_guard lock(consoleMutex);
        return consoleLines;
    }

    std::vector<Simulators::RecordedIIDCCall> callsNamed(const std::vector<std::string>& names) const {
        std::vector<Simulators::RecordedIIDCCall> found;
        for (const auto& call : bus->calls()) {
            if (std::find(names.begin(), names.end(), call.function) != names.end()) {
                found.push_back(call);
            }
        }
        return found;
    }

    Dotfield::ScopedMainThreadPump mainThread;
    Dotfield::ScopedScriptedAlertPresenter alerts;
    Dotfield::ScopedScriptedSaveFileChooser chooser;
    std::shared_ptr<Dotfield::UserDefaults> defaults =
        std::make_shared<Dotfield::UserDefaults>(Dotfield::UserDefaults::CustomDictionary{});
    std::mutex consoleMutex;
    std::vector<std::string> consoleLines;
    std::unique_ptr<Dotfield::CameraWindowController> window;
    // What the window's cameras are given. Tests make frames one by one, far
    // slower than a camera would on a loaded machine, so the cameras' clock
    // (their stall watchdog's) stands still unless a test moves it.
    Dotfield::IIDCCamera::Timing cameraTiming{.clock = std::make_shared<Dotfield::ManualClock>()};
};

// Saves the widget's grab under screenshots/ and answers it.
QImage grabToPNG(QWidget& widget, const std::string& name);

} // namespace DotfieldCameraTests
