#include "Dotfield/tests/Printing/UI/PrintControlFixture.hpp"

#include <fstream>

#include <QApplication>

#include "Zovudidova/NumberText.hpp"

namespace PrintControlTests {

namespace {

std::string number(double value) { return Zovudidova::formatDouble(value); }

std::string element(const std::string& name, const std::string& content) {
    return "<" + name + ">" + content + "</" + name + ">";
}

} // namespace

// ---- The fake engine ---------------------------------------------------------------------------

void FakeEngine::operator()(const Dotfield::PatternPrintRun& run) {
    {
        const std::lock_guard lock(mutex_);
        runs_.push_back(run);
    }
    const auto& layers = run.pattern->solutionLayers();
    int total = 0;
    for (const auto& layer : layers) {
        total += static_cast<int>(layer.patternItems().size());
    }
    int done = run.initialPatternItem;
    for (int l = 0; l < run.initialLayer; ++l) {
        done += static_cast<int>(layers[static_cast<std::size_t>(l)].patternItems().size());
    }
    const auto percent = [&] { return total == 0 ? 0.0 : done * 100.0 / total; };
    for (int l = run.initialLayer; l < static_cast<int>(layers.size()); ++l) {
        if (run.shouldCancelOperation(l, 0, percent())) {
            return;
        }
        const auto& layer = layers[static_cast<std::size_t>(l)];
        if (run.disabledLayers.contains(layer.solutionName())) {
            continue;
        }
        const int first = l == run.initialLayer ? run.initialPatternItem : 0;
        for (int i = first; i < static_cast<int>(layer.patternItems().size()); ++i) {
            if (run.shouldCancelOperation(l, i, percent())) {
                return;
            }
            std::unique_lock lock(mutex_);
            if (holdAt_ == Position{l, i}) {
                holding_ = true;
                released_.wait(lock, [&] { return !holdAt_; });
                holding_ = false;
            }
            if (failAt_ == Position{l, i}) {
                failAt_.reset();
                throw std::runtime_error("The positioner stopped answering");
            }
            printed_.emplace_back(l, i);
            ++done;
        }
    }
}

void FakeEngine::holdAt(Position position) {
    const std::lock_guard lock(mutex_);
    holdAt_ = position;
}

void FakeEngine::release() {
    {
        const std::lock_guard lock(mutex_);
        holdAt_.reset();
    }
    released_.notify_all();
}

bool FakeEngine::waitUntilHeld(const std::function<bool(const std::function<bool()>&)>& pump) {
    return pump([this] {
        const std::lock_guard lock(mutex_);
        return holding_;
    });
}

void FakeEngine::failAt(Position position) {
    const std::lock_guard lock(mutex_);
    failAt_ = position;
}

std::vector<FakeEngine::Position> FakeEngine::printed() const {
    const std::lock_guard lock(mutex_);
    return printed_;
}

std::vector<Dotfield::PatternPrintRun> FakeEngine::runs() const {
    const std::lock_guard lock(mutex_);
    return runs_;
}

// ---- Pattern files -------------------------------------------------------------------------------

std::string patternXML(const std::string& items) {
    return "<?xml version=\"1.0\"?><pattern><featurewidth>100</featurewidth>" + items + "</pattern>";
}

std::string pointXML(const std::string& layer, double x, double y, double milliseconds) {
    return element("point", element("solution", layer) + element("x", number(x)) + element("y", number(y)) +
                                element("duration", number(milliseconds)));
}

std::string lineXML(const std::string& layer, double x1, double y1, double x2, double y2) {
    return element("line", element("solution", layer) + element("x", number(x1)) + element("y", number(y1)) +
                               element("x2", number(x2)) + element("y2", number(y2)));
}

std::string polygonXML(const std::string& layer, const std::vector<std::pair<double, double>>& vertices) {
    std::string content = element("solution", layer);
    for (const auto& [x, y] : vertices) {
        content += element("vertex", element("x", number(x)) + element("y", number(y)));
    }
    return element("polygon", content);
}

// ---- Fixture -------------------------------------------------------------------------------------

void PrintControlFixture::SetUp() {
    IIbInstrumentFixture::SetUp();
    folder_ = testFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    alerts = std::make_unique<Dotfield::ScopedScriptedAlertPresenter>();
    controller = std::make_shared<Dotfield::PatternDocumentController>(store);
    controller->robot = robot;
    controller->errorHandler = [this](std::exception_ptr error) {
        Dotfield::MainQueue::main().sync([&] { handledErrors.push_back(error); });
    };
    controller->printPatternOperation = [engine = engine](const Dotfield::PatternPrintRun& run) { (*engine)(run); };
    windows = std::make_unique<Dotfield::PatternDocumentWindows>(controller);
}

void PrintControlFixture::TearDown() {
    engine->release();
    if (robot) {
        waitForRobotQueue();
    }
    windows.reset();
    document.reset();
    controller.reset();
    alerts.reset();
    IIbInstrumentFixture::TearDown();
}

Dotfield::PatternDocumentWindow* PrintControlFixture::open(const std::string& name, const std::string& xml) {
    const auto file = folder_ / name;
    std::ofstream(file, std::ios::binary) << xml;
    window = windows->openDocument(file);
    if (window) {
        document = controller->documentForURL(file);
        QApplication::processEvents();
    }
    return window;
}

QPushButton* PrintControlFixture::button(const char* name) const {
    return window ? window->findChild<QPushButton*>(name) : nullptr;
}

void PrintControlFixture::press(const char* name) const {
    QPushButton* target = button(name);
    ASSERT_NE(target, nullptr) << name;
    target->click();
}

void PrintControlFixture::waitForRunToEnd() {
    waitForRobotQueue();
    pumpUntil([this] { return !document || !document->currentlyPrinting(); });
    mainThread.pump().runPending();
}

} // namespace PrintControlTests
