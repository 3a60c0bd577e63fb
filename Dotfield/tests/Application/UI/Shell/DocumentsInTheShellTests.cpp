// The pattern documents plugged into the shell on the simulated instrument:
// what the launch wires into the document controller, files opened by path
// (the command line) and from Open Recent, the curing mode of the relay
// controls taken over, and the prints told to stop at shutdown.

#include <filesystem>
#include <fstream>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include "Dotfield/Application/UI/Shell/MainMenu.hpp"
#include "Dotfield/Application/UI/Shell/MainWindow.hpp"
#include "Dotfield/Application/UI/Shell/OperatorWindowRegistration.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Printing/UI/PatternDocumentWindow.hpp"
#include "Dotfield/tests/Printing/UI/IIbInstrumentFixture.hpp"
#include "Dotfield/tests/Printing/UI/PrintControlFixture.hpp"
#include "Dotfield/tests/Application/ShellFixture.hpp"

namespace Dotfield {
void registerPatternDocumentController(OperatorWindowRegistration& registration);
void registerRelayControlsWindow(OperatorWindowRegistration& registration);
} // namespace Dotfield

namespace PrintControlTests {
namespace {

using Dotfield::PatternDocumentWindow;

class DocumentsInTheShell : public ShellFixture {
  protected:
    void SetUp() override {
        ShellFixture::SetUp();
        folder = testFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        settings = std::make_shared<Dotfield::UserDefaults>(Dotfield::UserDefaults::CustomDictionary{});
        // After each solution, 3 s, offset (1000, 0, 500).
        settings->setInteger(2, "selectedUVCuringType");
        settings->setDouble(3.0, "curingDuration");
        settings->setDouble(1000.0, "offsetForX");
        settings->setDouble(500.0, "offsetForZ");
        beforeLaunch = [this](Dotfield::AppDelegate& made) {
            window = std::make_unique<Dotfield::MainWindow>(true);
            menu = std::make_unique<Dotfield::MainMenu>(*window, made);
            Dotfield::OperatorWindowRegistration registration{made.windows(), *window, menu->openRecentMenu()};
            Dotfield::registerPatternDocumentController(registration);
            Dotfield::registerRelayControlsWindow(registration);
        };
    }
    void TearDown() override {
        if (delegate) {
            delegate->windows().clear();
        }
        QApplication::processEvents();
        ShellFixture::TearDown();
        menu.reset();
        window.reset();
    }

    std::filesystem::path write(const std::string& name, const std::string& text) const {
        const auto file = folder / name;
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    std::vector<PatternDocumentWindow*> documentWindows() const {
        std::vector<PatternDocumentWindow*> found;
        for (auto* widget : QApplication::topLevelWidgets()) {
            if (auto* documentWindow = qobject_cast<PatternDocumentWindow*>(widget);
                documentWindow && documentWindow->isVisible()) {
                found.push_back(documentWindow);
            }
        }
        return found;
    }

    std::filesystem::path folder;
    std::unique_ptr<Dotfield::MainWindow> window;
    std::unique_ptr<Dotfield::MainMenu> menu;
};

TEST_F(DocumentsInTheShell, AFileOpensWithTheDelegatesDevicesAndTheRelayControlsCuring) {
    launch();
    ASSERT_TRUE(pumpUntil([this] { return delegate->windows().exists(Dotfield::OperatorWindow::relayControls); }));
    menu->revalidate();
    EXPECT_TRUE(window->menuBar()->findChild<QAction*>("openDocument:")->isEnabled());

    const auto hooks = delegate->windows().hooks();
    ASSERT_TRUE(hooks.openDocumentFile);
    hooks.openDocumentFile(write("one.pattern", patternXML(pointXML("A", 0, 0, 1))));
    ASSERT_EQ(documentWindows().size(), 1u);
    auto& document = documentWindows().front()->document();
    EXPECT_EQ(document.robot(), delegate->robot());
    EXPECT_EQ(document.electronics(), delegate->electronics());
    EXPECT_TRUE(document.errorHandler);
    EXPECT_TRUE(document.recalibrationOperation);
    const auto curing = document.uvCuringMode();
    ASSERT_TRUE(curing.has_value());
    EXPECT_EQ(curing->kind, Dotfield::UVCuringPatternMode::Kind::afterEachSolution);
    EXPECT_EQ(curing->relay, delegate->relay());
    EXPECT_EQ(curing->offset, (VeltranePatterns::Coordinate{1000.0, 0.0, 500.0}));
    EXPECT_EQ(curing->duration, 3.0);

    // Open Recent lists it; choosing it brings the same window forward.
    QMenu& recent = menu->openRecentMenu();
    emit recent.aboutToShow();
    QAction* entry = nullptr;
    for (auto* action : recent.actions()) {
        if (action->text() == "one.pattern") {
            entry = action;
        }
    }
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    EXPECT_EQ(documentWindows().size(), 1u);

    // Shutdown tells every print to stop.
    hooks.cancelEveryPrint();
    EXPECT_TRUE(document.printingCancelled());
}

TEST_F(DocumentsInTheShell, AFileThatDoesNotOpenIsReportedAndOpensNoWindow) {
    launch();
    const auto hooks = delegate->windows().hooks();
    ASSERT_TRUE(hooks.openDocumentFile);
    hooks.openDocumentFile(folder / "missing.pattern");
    EXPECT_TRUE(documentWindows().empty());
    const auto shown = alerts->shownAlerts();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().messageText, "The document \u201Cmissing.pattern\u201D could not be opened.");
}

} // namespace
} // namespace PrintControlTests
