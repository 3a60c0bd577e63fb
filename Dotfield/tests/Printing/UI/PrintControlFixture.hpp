#pragma once
// A pattern document opened through the document windows on the simulated
// IIb, with an operator at the alerts and a small fake of the printing
// engine: it walks the pattern's items as the engine does, asking its stop
// question before every layer and item, records each item it "prints", and
// can hold before an item or fail at one.

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QPointer>
#include <QPushButton>

#include "Dotfield/Platform/Alerts/ScriptedAlertPresenter.hpp"
#include "Dotfield/Printing/Document/PatternDocumentController.hpp"
#include "Dotfield/Printing/UI/PatternDocumentWindow.hpp"
#include "Dotfield/Printing/UI/PatternDocumentWindows.hpp"
#include "Dotfield/tests/Printing/UI/IIbInstrumentFixture.hpp"

namespace PrintControlTests {

class FakeEngine {
  public:
    using Position = std::pair<int, int>;

    void operator()(const Dotfield::PatternPrintRun& run);

    // Items hold before printing from this one (on the robot's queue) until released.
    void holdAt(Position position);
    void release();
    // Waits (serving the main thread through `pump`) until an item is held.
    bool waitUntilHeld(const std::function<bool(const std::function<bool()>&)>& pump);
    void failAt(Position position);

    std::vector<Position> printed() const;
    std::vector<Dotfield::PatternPrintRun> runs() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::optional<Position> holdAt_;
    bool holding_ = false;
    std::optional<Position> failAt_;
    std::vector<Position> printed_;
    std::vector<Dotfield::PatternPrintRun> runs_;
};

std::string patternXML(const std::string& items);
std::string pointXML(const std::string& layer, double x, double y, double milliseconds);
std::string lineXML(const std::string& layer, double x1, double y1, double x2, double y2);
std::string polygonXML(const std::string& layer, const std::vector<std::pair<double, double>>& vertices);

class PrintControlFixture : public IIbInstrumentFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the pattern file and opens it; the window is shown.
    Dotfield::PatternDocumentWindow* open(const std::string& name, const std::string& xml);

    QPushButton* button(const char* name) const;
    void press(const char* name) const;
    // Serves the main thread until the robot's queue is idle and the document
    // shows no run.
    void waitForRunToEnd();
    std::filesystem::path folder() const { return folder_; }

    std::unique_ptr<Dotfield::ScopedScriptedAlertPresenter> alerts;
    std::shared_ptr<FakeEngine> engine = std::make_shared<FakeEngine>();
    std::shared_ptr<Dotfield::PatternDocumentController> controller;
    std::unique_ptr<Dotfield::PatternDocumentWindows> windows;
    std::shared_ptr<Dotfield::PatternDocument> document;
    // Gone once the document closes.
    QPointer<Dotfield::PatternDocumentWindow> window;
    std::vector<std::exception_ptr> handledErrors;

  private:
    std::filesystem::path folder_;
};

} // namespace PrintControlTests
