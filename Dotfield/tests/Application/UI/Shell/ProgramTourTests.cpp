// The newcomer's tour, in process: the program's own entry runs as
// `dotfield --simulated-instrument <every file of examples/>` while a driver,
// started with the program's QApplication, plays the operator through the
// windows: it waits for the devices and the documents, presses Print on the
// pattern example and waits for that print to finish. Any alert ends the run.
// The run's screen is a virtual 1920 x 1200 one, on which every window shown
// must fit and keep off the main window.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QTimer>

#include <gtest/gtest.h>

#include "Dotfield/Application/UI/Shell/DotfieldProgram.hpp"
#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Printing/UI/PatternDocumentWindow.hpp"

namespace {

namespace fs = std::filesystem;
using Dotfield::PatternDocumentWindow;
using VeltranePatterns::PatternItemKind;

struct OpenedDocument {
    std::string file;
    std::size_t layers = 0;
    std::size_t items = 0;
    std::set<PatternItemKind> kinds;
};

// What the driver saw; checked once the program has returned.
struct TourRecord {
    std::vector<fs::path> files;
    std::vector<OpenedDocument> opened;
    std::vector<std::string> alerts;
    // The frames of the windows shown once the documents were open, by object name.
    std::map<std::string, QRect> frames;
    bool printStarted = false;
    int highestLayerReached = 0;
    std::string finalStatus;
    bool printWindowClosed = false;
    std::string timedOutWaitingFor;
};

TourRecord tour;

// Generous: the run is real time on the simulated instrument, and a loaded
// machine under the sanitizers brings the devices up slowly.
constexpr qint64 stepLimitMilliseconds = 240000;

std::vector<PatternDocumentWindow*> shownDocumentWindows() {
    std::vector<PatternDocumentWindow*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<PatternDocumentWindow*>(widget); window && window->isVisible()) {
            found.push_back(window);
        }
    }
    return found;
}

bool devicesReported() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<Dotfield::MainWindow*>(widget)) {
            return main->everyDeviceReported();
        }
    }
    return false;
}

// Records and dismisses a shown alert; true when there was one.
bool alertShown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
            tour.alerts.push_back((box->text() + " " + box->informativeText()).toStdString());
            box->done(0);
            return true;
        }
    }
    return false;
}

OpenedDocument describe(PatternDocumentWindow& window) {
    OpenedDocument opened;
    opened.file = window.document().fileURL().filename().string();
    const auto pattern = window.document().pattern();
    for (const auto& layer : pattern->solutionLayers()) {
        ++opened.layers;
        for (const auto& item : layer.patternItems()) {
            ++opened.items;
            opened.kinds.insert(item->kind());
        }
    }
    return opened;
}

void saveScreenshot(QWidget& window, const std::string& name) {
    fs::create_directories(DOTFIELD_SCREENSHOT_DIR);
    window.grab().save(QString::fromStdString(std::string(DOTFIELD_SCREENSHOT_DIR) + "/" + name + ".png"),
                       "PNG");
}

// The operator, one step per tick of a timer the program's event loop runs.
class TourDriver : public QObject {
  public:
    TourDriver() : QObject(qApp) {
        elapsed_.start();
        connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
        timer_.start(50);
    }

  private:
    enum class Step { waitForDocuments, waitForPrintToEnd };

    void tick() {
        if (alertShown()) {
            finish();
            return;
        }
        if (elapsed_.elapsed() > stepLimitMilliseconds) {
            tour.timedOutWaitingFor =
                step_ == Step::waitForDocuments ? "the devices and documents" : "the print";
            finish();
            return;
        }
        switch (step_) {
        case Step::waitForDocuments:
            return startPrintOnceEverythingIsOpen();
        case Step::waitForPrintToEnd:
            return followPrint();
        }
    }

    void startPrintOnceEverythingIsOpen() {
        const auto windows = shownDocumentWindows();
        if (windows.size() < tour.files.size() || !devicesReported()) {
            return;
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->windowType() == Qt::Window &&
                !widget->windowFlags().testFlag(Qt::FramelessWindowHint)) {
                const QString name =
                    widget->objectName().isEmpty() ? widget->windowTitle() : widget->objectName();
                tour.frames[name.toStdString()] = widget->frameGeometry();
            }
        }
        for (PatternDocumentWindow* window : windows) {
            tour.opened.push_back(describe(*window));
            if (window->document().fileURL().extension() == ".pattern") {
                printing_ = window;
            }
        }
        if (printing_.isNull()) {
            finish();
            return;
        }
        printing_->document().addObserver(
            [document = &printing_->document()](std::string_view property) {
                if (property == "printStatus") {
                    tour.finalStatus = document->printStatus();
                } else if (property == "startingLayer") {
                    // The run moves the starting fields (counted from 1) past each printed item.
                    tour.highestLayerReached = std::max(tour.highestLayerReached, document->startingLayer());
                }
            },
            this);
        printing_->findChild<QPushButton*>("pauseButton")->click();
        step_ = Step::waitForPrintToEnd;
        elapsed_.restart();
    }

    void followPrint() {
        if (!printing_.isNull() && printing_->isVisible()) {
            const auto& document = printing_->document();
            tour.printStarted = tour.printStarted || document.currentlyPrinting();
            if (!screenshotSaved_ && document.currentlyPrinting() && document.printProgress() >= 40.0) {
                screenshotSaved_ = true;
                saveScreenshot(*printing_, "dotfield-tour-printing");
            }
            return;
        }
        tour.printWindowClosed = true;
        finish();
    }

    void finish() {
        timer_.stop();
        // The program's own end: the same path as Quit.
        QApplication::quit();
    }

    QTimer timer_;
    QElapsedTimer elapsed_;
    Step step_ = Step::waitForDocuments;
    QPointer<PatternDocumentWindow> printing_;
    bool screenshotSaved_ = false;
};

void startTourDriver() {
    new TourDriver;
}

} // namespace

TEST(ProgramTour, TheExamplesOpenAndThePatternPrintsToTheEndOnTheSimulatedInstrument) {
    for (const auto& entry : fs::directory_iterator(DOTFIELD_EXAMPLES_DIR)) {
        tour.files.push_back(entry.path());
    }
    std::sort(tour.files.begin(), tour.files.end());
    ASSERT_GE(tour.files.size(), 3u);

    // Settings and files of this run stay in the test's folder.
    const fs::path home = fs::path(std::getenv("DOTFIELD_TEST_OUTPUT") ? std::getenv("DOTFIELD_TEST_OUTPUT")
                                                                       : fs::temp_directory_path()) /
                          "program-tour";
    fs::remove_all(home);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    unsetenv("DOTFIELD_SCREENSHOT_AND_QUIT");
    fs::create_directories(home);
    const fs::path screens = home / "screens.json";
    std::ofstream(screens) << R"({"windowFrameMargins": true, "screens": [{"name": "tour", "x": 0, "y": 0,
        "width": 1920, "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.string()).c_str(), 1);

    std::vector<std::string> arguments{"dotfield", "--simulated-instrument"};
    for (const auto& file : tour.files) {
        arguments.push_back(file.string());
    }
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    qAddPreRoutine(startTourDriver);
    const int status = Dotfield::runDotfieldProgram(static_cast<int>(arguments.size()), argv.data());

    EXPECT_EQ(status, 0);
    EXPECT_TRUE(tour.alerts.empty()) << tour.alerts.front();
    EXPECT_EQ(tour.timedOutWaitingFor, "");
    ASSERT_EQ(tour.opened.size(), tour.files.size()) << "one window per example";
    for (const auto& opened : tour.opened) {
        EXPECT_GT(opened.items, 0u) << opened.file;
        if (opened.file.ends_with(".pattern")) {
            EXPECT_EQ(opened.layers, 2u) << "two solutions";
            EXPECT_EQ(opened.kinds.size(), 7u) << "every item kind";
        }
    }

    // Every window fits the screen, and none covers the main window: the
    // launch's own (camera, humidity) nor the documents.
    const QRect screen(0, 0, 1920, 1200);
    ASSERT_EQ(tour.frames.count("MainWindow"), 1u);
    const QRect main = tour.frames.at("MainWindow");
    for (const char* launched : {"CameraWindowController", "HumidityWindowController"}) {
        EXPECT_EQ(tour.frames.count(launched), 1u) << launched << " shown";
    }
    for (const auto& [name, frame] : tour.frames) {
        EXPECT_TRUE(screen.contains(frame)) << name;
        EXPECT_TRUE(name == "MainWindow" || !frame.intersects(main)) << name;
    }

    EXPECT_TRUE(tour.printStarted);
    EXPECT_EQ(tour.highestLayerReached, 2) << "both solutions printed";
    EXPECT_EQ(tour.finalStatus, "Dispense status: 100.00% complete");
    EXPECT_TRUE(tour.printWindowClosed) << "the finished document closes";
}
