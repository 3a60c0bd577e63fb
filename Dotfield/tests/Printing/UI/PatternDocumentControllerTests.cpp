// Opening pattern files through the document controller and the document
// windows: the hand-over, a file opened twice, failures, recent files.

#include <fstream>

#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/tests/Printing/UI/PrintControlFixture.hpp"

namespace PrintControlTests {
namespace {

using Dotfield::PatternDocumentController;
using Dotfield::SolutionWell;

SolutionWell wellNamed(const std::string& name) {
    return SolutionWell{name,
                        Dotfield::SolutionLocation::CustomLocation{{100, 200, 300}},
                        0,
                        Dotfield::SolutionReloadQuantity::Unlimited{},
                        Zovudidova::milliseconds(1500),
                        0,
                        std::nullopt,
                        std::nullopt,
                        Zovudidova::seconds(4.0)};
}

class DocumentOpening : public PrintControlFixture {
  protected:
    void SetUp() override {
        PrintControlFixture::SetUp();
        controller->electronics = std::make_shared<Dotfield::Electronics>(store);
        controller->solutionWells = {wellNamed("Buffer")};
        controller->updateParametersOnNewPattern = [this] { ++parameterUpdates; };
    }
    std::filesystem::path write(const std::string& name, const std::string& text) {
        const auto file = folder() / name;
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

    int parameterUpdates = 0;
};

TEST_F(DocumentOpening, TwoDocumentsShareTheDevicesButNotTheWells) {
    auto* first = windows->openDocument(write("one.pattern", patternXML(pointXML("A", 0, 0, 1))));
    controller->solutionWells.push_back(wellNamed("Ink"));
    auto* second = windows->openDocument(write("two.pattern", patternXML(pointXML("A", 0, 0, 1))));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(parameterUpdates, 2);
    EXPECT_EQ(first->document().robot(), second->document().robot());
    EXPECT_EQ(first->document().electronics(), second->document().electronics());
    EXPECT_EQ(first->document().solutionWellNames(), (std::vector<std::string>{"Solution in dispenser", "Buffer"}));
    EXPECT_EQ(second->document().solutionWellNames(),
              (std::vector<std::string>{"Solution in dispenser", "Buffer", "Ink"}));
    EXPECT_EQ(controller->documents().size(), 2U);
    EXPECT_EQ(first->windowTitle(), "one.pattern");
}

TEST_F(DocumentOpening, DestroyingTheWindowsClosesEveryOpenWindow) {
    // Each window leaves the list as it is destroyed; deleting them all at
    // once must not walk the list it changes.
    std::vector<QPointer<Dotfield::PatternDocumentWindow>> open;
    for (const char* name : {"one.pattern", "two.pattern", "three.pattern"}) {
        open.emplace_back(windows->openDocument(write(name, patternXML(pointXML("A", 0, 0, 1)))));
        ASSERT_NE(open.back(), nullptr);
    }
    windows.reset();
    for (const auto& window : open) {
        EXPECT_TRUE(window.isNull());
    }
}

TEST_F(DocumentOpening, TheCuringModeCurrentAtOpeningGoesWithTheDocumentToItsRuns) {
    const auto relay = std::make_shared<Dotfield::Relay>();
    const Dotfield::UVCuringPatternMode curing{Dotfield::UVCuringPatternMode::Kind::afterEachSolution, relay,
                                               {1000.0, 0.0, 500.0}, 3.0};
    // The hand-over refreshes the controller's mode before the document takes it.
    controller->updateParametersOnNewPattern = [&] { controller->uvCuringMode = curing; };
    ASSERT_NE(open("cured.pattern", patternXML(pointXML("A", 0, 0, 1))), nullptr);
    controller->updateParametersOnNewPattern = nullptr;
    controller->uvCuringMode.reset();

    press("pauseButton");
    waitForRunToEnd();
    const auto runs = engine->runs();
    ASSERT_EQ(runs.size(), 1U);
    ASSERT_TRUE(runs.front().uvCuringMode.has_value());
    EXPECT_EQ(runs.front().uvCuringMode->kind, curing.kind);
    EXPECT_EQ(runs.front().uvCuringMode->relay, relay);
    EXPECT_EQ(runs.front().uvCuringMode->offset, curing.offset);
    EXPECT_EQ(runs.front().uvCuringMode->duration, 3.0);
}

TEST_F(DocumentOpening, AFileOpenedTwiceHasOneWindow) {
    const auto file = write("one.pattern", patternXML(pointXML("A", 0, 0, 1)));
    auto* first = windows->openDocument(file);
    auto* again = windows->openDocument(folder() / "." / "one.pattern");
    EXPECT_EQ(first, again);
    EXPECT_EQ(windows->windows().size(), 1U);
    EXPECT_EQ(parameterUpdates, 1);

    // Closed, it opens afresh.
    first->close();
    QApplication::processEvents();
    EXPECT_TRUE(controller->documents().empty());
    EXPECT_NE(windows->openDocument(file), nullptr);
}

TEST_F(DocumentOpening, AFileThatDoesNotReadIsRefusedWithItsReasonAndNothingHandedOver) {
    for (const auto& file : {write("broken.pattern", "<pattern><point>"), write("notes.txt", "hello")}) {
        SCOPED_TRACE(file.filename().string());
        EXPECT_EQ(windows->openDocument(file), nullptr);
    }
    EXPECT_EQ(parameterUpdates, 0);
    EXPECT_TRUE(controller->documents().empty());
    EXPECT_TRUE(controller->recentDocumentURLs().empty());
    const auto shown = alerts->presenter().shownAlerts();
    ASSERT_EQ(shown.size(), 2U);
    EXPECT_EQ(shown[0].messageText, "The document \u201Cbroken.pattern\u201D could not be opened.");
    EXPECT_NE(shown[0].informativeText.find(Dotfield::PatternDocument::unreadableFileMessage), std::string::npos);
    EXPECT_EQ(shown[1].informativeText, Dotfield::PatternDocument::unknownTypeMessage);
}

TEST_F(DocumentOpening, DrawingsAndPhotoplotsTellInTheAlertWhyTheyAreRefusedOrWhatTheyLeaveOut) {
    // Refused: the reason is the alert's text, after the file's own words.
    const auto refused = {write("empty.gbr", ""),
                          write("drill.gbr", "METRIC,TZ\nT1C0.800\nT1\nX1000Y1000\nM30\n"),
                          write("commas.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0,5\n20\n0\n11\n3\n21\n4\n"
                                              "0\nENDSEC\n0\nEOF\n")};
    for (const auto& file : refused) {
        EXPECT_EQ(windows->openDocument(file), nullptr) << file.filename();
    }
    // Opened with losses: the window opens, and the alert names them.
    auto* window = windows->openDocument(
        write("labelled.dxf", "0\nSECTION\n2\nENTITIES\n0\nTEXT\n10\n0\n20\n0\n1\nBoard 7\n0\nLINE\n10\n0\n20\n0\n"
                              "11\n3\n21\n4\n0\nENDSEC\n0\nEOF\n"));
    EXPECT_NE(window, nullptr);
    EXPECT_NE(windows->openDocument(write("negative.gbr", "%IPNEG*%\n%MOMM*%\n%ADD10C,0.1*%\nD10*\nX0Y0D03*\n")),
              nullptr);

    const auto shown = alerts->presenter().shownAlerts();
    ASSERT_EQ(shown.size(), 5U);
    const std::string unreadable = Dotfield::PatternDocument::unreadableFileMessage;
    EXPECT_EQ(shown[0].messageText, "The document \u201Cempty.gbr\u201D could not be opened.");
    EXPECT_EQ(shown[0].informativeText, unreadable + " the file is empty");
    EXPECT_EQ(shown[1].informativeText, unreadable + " an Excellon drill file, not a Gerber photoplot");
    EXPECT_EQ(shown[2].informativeText,
              unreadable + " 1 value is not a DXF number, on line 8: \"0,5\"");
    EXPECT_EQ(shown[3].messageText, "Not everything in the document \u201Clabelled.dxf\u201D could be imported.");
    EXPECT_EQ(shown[3].informativeText, "1 text was not imported");
    EXPECT_EQ(shown[4].messageText, "Not everything in the document \u201Cnegative.gbr\u201D could be imported.");
    EXPECT_EQ(shown[4].informativeText, "The image is negative (%IPNEG*%) but was imported as positive: what prints "
                                        "is what the photoplot leaves clear (line 1)");
    EXPECT_EQ(controller->documents().size(), 2U);
}

TEST_F(DocumentOpening, RecentFilesKeepTheTenLastNewestFirstAndOpenFromTheMenu) {
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 12; ++i) {
        files.push_back(write("file" + std::to_string(i) + ".pattern", patternXML(pointXML("A", 0, 0, 1))));
        ASSERT_NE(windows->openDocument(files.back()), nullptr);
    }
    windows->openDocument(files[5]);
    const auto recent = controller->recentDocumentURLs();
    ASSERT_EQ(recent.size(), 10U);
    EXPECT_EQ(recent.front().filename(), "file5.pattern");
    EXPECT_EQ(recent[1].filename(), "file11.pattern");
    EXPECT_EQ(recent.back().filename(), "file2.pattern");
    // Kept in the settings store for the next start.
    EXPECT_EQ(PatternDocumentController(store).recentDocumentURLs(), recent);

    for (auto* window : windows->windows()) {
        window->close();
    }
    QApplication::processEvents();
    QMenu menu;
    windows->fillOpenRecentMenu(menu);
    ASSERT_EQ(menu.actions().size(), 12);
    EXPECT_EQ(menu.actions()[1]->text(), "file11.pattern");
    menu.actions()[1]->trigger();
    EXPECT_EQ(windows->windows().size(), 1U);
    menu.actions().back()->trigger();
    EXPECT_TRUE(controller->recentDocumentURLs().empty());
}

TEST_F(DocumentOpening, OpenShowsTheChosenFiles) {
    const auto file = write("chosen.pattern", patternXML(pointXML("A", 0, 0, 1)));
    windows->setOpenFileChooser([&](QWidget*) { return std::vector<std::filesystem::path>{file}; });
    windows->openDocumentWithDialog();
    ASSERT_EQ(windows->windows().size(), 1U);
    EXPECT_TRUE(windows->windows().front()->isVisible());
}

} // namespace
} // namespace PrintControlTests
