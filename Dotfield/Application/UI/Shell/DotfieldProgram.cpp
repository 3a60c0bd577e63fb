#include "Dotfield/Application/UI/Shell/DotfieldProgram.hpp"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "Dotfield/Application/AppDelegate.hpp"
#include "Dotfield/Application/ApplicationLocations.hpp"
#include "Dotfield/Application/ApplicationOptions.hpp"
#include "Dotfield/Application/ProductTypes.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Application/SimulatedInstrument/SimulatedInstrumentSession.hpp"
#include "Dotfield/Application/UI/Shell/MainMenu.hpp"
#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Application/UI/Shell/TerminationSignals.hpp"
#include "Dotfield/Calibration/UI/DispenserCalibrationController.hpp"
#include "Dotfield/Camera/UI/RenderView.hpp"
#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"
#include "Dotfield/Platform/FileChoosers/OpenFileChooser.hpp"
#include "Dotfield/Platform/FileChoosers/SaveFileChooser.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Platform/Qt/QtAlertPresenter.hpp"
#include "Dotfield/Platform/Qt/QtMainThreadBinding.hpp"
#include "Dotfield/Platform/Qt/QtOpenFileChooser.hpp"
#include "Dotfield/Platform/Qt/QtSaveFileChooser.hpp"
#include "Dotfield/Platform/Qt/WindowPlacer.hpp"

namespace Dotfield {

namespace {

constexpr int refusedExitStatus = 2;

std::string joined(const std::vector<std::string>& names) {
    if (names.empty()) {
        return "none";
    }
    std::string text;
    for (const auto& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// The simulated instrument the options ask for, or none; false when the
// program must stop with status 2.
bool prepareSimulatedInstrument(const ApplicationOptions& options,
                                std::unique_ptr<SimulatedInstrumentSession>& session) {
    if (!options.simulatedInstrument) {
        return true;
    }
    const auto& simulated = *options.simulatedInstrument;
    if (!SimulatedInstrumentSession::isAvailable(simulated.model)) {
        const std::string notBuilt =
            "dotfield: the simulated " + positionerModelName(simulated.model) + " is not built yet";
        if (simulated.modelNamed) {
            std::cerr << notBuilt << " (available: " << joined(SimulatedInstrumentSession::availableModels())
                      << ")\n";
            return false;
        }
        std::cerr << notBuilt << "; the simulated instrument runs without a positioner\n";
    }
    session = std::make_unique<SimulatedInstrumentSession>(simulated.model);
    return true;
}

// Whether every live view in a shown window has run long enough for the
// automatic exposure to settle (its image starts dark).
bool liveViewsSettled() {
    constexpr std::size_t settledAfterFrames = 120;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) {
            continue;
        }
        for (const RenderView* view : window->findChildren<RenderView*>()) {
            if (view->framesShown() < settledAfterFrames) {
                return false;
            }
        }
    }
    return true;
}

// Saves the main window once every device has reported and the live views
// have settled, every other shown window beside it (the file's name with
// "-" and the window's object name), then quits. The bound only keeps a
// device that never reports from holding the run forever: a loaded machine
// can take well over twenty seconds to bring up the simulated instrument.
// A termination signal ends the run whatever is on the screen: no alert opens
// from now on, the dialogs that are open are dismissed (their callers go on
// as after Cancel), and every event loop, the dialogs' own included, ends.
void endTheRun(AppDelegate& delegate) {
    delegate.beginTermination();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog != nullptr && dialog->isVisible()) {
            dialog->reject();
        }
    }
    QCoreApplication::exit(0);
}

void screenshotAndQuit(MainWindow& window, const QString& file) {
    auto* timer = new QTimer(qApp);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [&window, file, elapsed, timer] {
        if ((!window.everyDeviceReported() || !liveViewsSettled()) && elapsed->elapsed() < 120000) {
            return;
        }
        timer->stop();
        bool saved = window.grab().save(file, "PNG");
        const QString stem = file.endsWith(".png", Qt::CaseInsensitive) ? file.chopped(4) : file;
        for (QWidget* other : QApplication::topLevelWidgets()) {
            if (other != &window && other->isVisible() && !other->objectName().isEmpty()) {
                saved = other->grab().save(stem + "-" + other->objectName() + ".png", "PNG") && saved;
            }
        }
        if (!saved) {
            std::cerr << "dotfield: could not save " << file.toStdString() << "\n";
        }
        QApplication::exit(saved ? 0 : 1);
    });
    timer->start(20);
}

} // namespace

int runDotfieldProgram(int argc, char** argv) {
    const auto parsed = parseApplicationOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* refused = std::get_if<std::string>(&parsed)) {
        std::cerr << *refused << "\n";
        return refusedExitStatus;
    }
    const auto& options = std::get<ApplicationOptions>(parsed);
    switch (options.action) {
    case ApplicationOptions::Action::showHelp:
        std::cout << applicationUsageText();
        return 0;
    case ApplicationOptions::Action::showVersion:
        std::cout << applicationVersionText();
        return 0;
    case ApplicationOptions::Action::run:
        break;
    }

    std::unique_ptr<SimulatedInstrumentSession> session;
    if (!prepareSimulatedInstrument(options, session)) {
        return refusedExitStatus;
    }
    const bool simulated = session != nullptr;
    useApplicationFileFolder(simulated);

    QApplication application(argc, argv);
    QApplication::setApplicationName("Dotfield");
    QApplication::setApplicationVersion(DOTFIELD_VERSION);
    QGuiApplication::setDesktopFileName("com.veltrane.Dotfield");
    const auto previousBinding = MainQueue::main().bind(std::make_shared<QtMainThreadBinding>());
    const auto previousPresenter = installAlertPresenter(std::make_shared<QtAlertPresenter>());
    const auto previousChooser = installSaveFileChooser(std::make_shared<QtSaveFileChooser>());
    const auto previousOpenChooser = installOpenFileChooser(std::make_shared<QtOpenFileChooser>());

    int status = 0;
    {
        AppDelegateEnvironment environment;
        environment.userDefaults = applicationUserDefaults(simulated);
        if (options.simulatedInstrument) {
            // The simulated positioner is the model named: the robot made must be that one.
            const std::string model = positionerModelName(options.simulatedInstrument->model);
            if (const auto productType = productTypeSelecting(model)) {
                environment.userDefaults->setString(*productType, "productType");
            }
        }
        auto delegate = AppDelegate::create(std::move(environment));
        DispenserCalibrationController dispenserCalibrationWindow(
            DispenserCalibrationEnvironment{delegate->userDefaults(), std::nullopt, {}});
        delegate->setDispenserCalibration(dispenserCalibrationWindow.sharedCalibration());
        MainWindow window(simulated);
        // The windows the launch shows go beside the main window, on screen.
        WindowPlacer placer(window);
        MainMenu menu(window, *delegate);
        OperatorWindowRegistration registration{delegate->windows(), window, menu.openRecentMenu()};
        registerOperatorWindows(registration);
        // The calibration window is made above with the calibration it shows.
        delegate->windows().add(
            OperatorWindow::dispenserCalibration,
            {.make = [](AppDelegate&) {},
             .show = [&dispenserCalibrationWindow] { dispenserCalibrationWindow.showCalibrationWindow(); },
             .close =
                 [&dispenserCalibrationWindow] { dispenserCalibrationWindow.closeCalibrationWindow(); }});
        delegate->windows().setWindowsChangedObserver([&menu] { menu.revalidate(); });
        delegate->setDeviceStatusObserver([&window, &menu](ShellDevice device, const std::string& text) {
            window.showDeviceStatus(device, QString::fromStdString(text));
            // A link came or went.
            menu.revalidate();
        });
        // Closing the main window (the manual controls) closes the others; the
        // program ends with its last window.
        window.setWindowClosingOperation([&delegate] { delegate->closeOperatorWindows(); });
        TerminationSignals terminationSignals;
        QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, &application,
                         [&delegate] { endTheRun(*delegate); });
        QObject::connect(&application, &QCoreApplication::aboutToQuit, [&delegate] { delegate->shutDown(); });
        window.show();
        QTimer::singleShot(0, &application, [&delegate, &options] {
            delegate->applicationDidFinishLaunching();
            // Files named on the command line open once the documents are wired.
            const auto open = delegate->windows().hooks().openDocumentFile;
            for (const auto& file : options.files) {
                if (open) {
                    open(file);
                } else {
                    std::cerr << "dotfield: " << file << ": pattern documents cannot be opened yet\n";
                }
            }
        });
        if (const char* screenshot = std::getenv("DOTFIELD_SCREENSHOT_AND_QUIT"); screenshot && *screenshot) {
            screenshotAndQuit(window, QString::fromLocal8Bit(screenshot));
        }
        status = QApplication::exec();
        delegate->shutDown();
        delegate->windows().clear();
        delegate->pollWindows().update([](DispenserStatusPollWindows& windows) { windows = {}; });
    }
    installOpenFileChooser(previousOpenChooser);
    installSaveFileChooser(previousChooser);
    installAlertPresenter(previousPresenter);
    MainQueue::main().bind(previousBinding);
    return status;
}

} // namespace Dotfield
