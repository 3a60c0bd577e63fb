// The pattern document through its window, offscreen: opening each file type,
// the scale and starting-item rules, the solution table, and export.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "Dotfield/Platform/Alerts/ScriptedAlertPresenter.hpp"
#include "Dotfield/Platform/FileChoosers/ScriptedSaveFileChooser.hpp"
#include "Dotfield/Printing/UI/PatternDocumentWindow.hpp"
#include "Dotfield/Printing/UI/PatternPreview.hpp"
#include "Dotfield/tests/Printing/UI/DocumentFixtures.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

using namespace Dotfield;
using namespace DocumentTests;

namespace {

SolutionWell wellNamed(const char* name) {
    return SolutionWell{name,
                        SolutionLocation::CustomLocation{{100, 200, 300}},
                        0,
                        SolutionReloadQuantity::Unlimited{},
                        Zovudidova::milliseconds(1500),
                        0,
                        std::nullopt,
                        std::nullopt,
                        Zovudidova::seconds(4.0)};
}

std::vector<SolutionWell> twoWells() { return {wellNamed("Buffer"), wellNamed("Ink")}; }

std::unique_ptr<PatternDocumentWindow> openWindow(const std::filesystem::path& file, std::string_view type,
                                                  bool withRobot = true) {
    auto document = std::make_shared<PatternDocument>();
    document->readFromFile(file, type);
    if (withRobot) {
        auto robot = positionerWithTravel();
        robot->setCurrentCoordinate({50000.0, 50000.0, 0.0});
        document->setRobot(robot);
    }
    document->setSolutionWells(twoWells());
    auto window = std::make_unique<PatternDocumentWindow>(document);
    window->resize(980, 560);
    window->show();
    QApplication::processEvents();
    return window;
}

QString labelText(QWidget& window, const char* name) { return window.findChild<QLabel*>(name)->text(); }

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether the origin cross shows: black pixels on its arms beside the centre.
bool crossVisible(const QImage& image, QPointF centre) {
    auto blackNear = [&](int x, int y) {
        for (int d = -1; d <= 1; ++d) {
            if (image.valid(x, y + d) && near(image.pixelColor(x, y + d), 0, 0, 0, 10)) {
                return true;
            }
        }
        return false;
    };
    return blackNear(static_cast<int>(centre.x()) + 7, static_cast<int>(centre.y()));
}

} // namespace

TEST(PatternDocumentWindow, EachFileTypeOpensToAPreviewOfItsItems) {
    const auto folder = testFolder("open");
    struct Case {
        std::filesystem::path file;
        const char* type;
        int choice;
        double scaling;
        std::vector<QString> layers;
        const char* width;
        const char* height;
        // Wider than the file's own, where that would draw hairlines.
        double featureWidth = 0.0;
    };
    const Case cases[] = {
        {writeFile(folder, "microns.xml",
                   micronPatternXML(lineXML("A", 200, 200, 1000, 200) + lineXML("B", 200, 500, 1000, 500))),
         "Pattern", 0, 1.0, {"A", "B"}, "Width: 800 microns", "Height: 300 microns"},
        {writeFile(folder, "layers.dxf", twoLayerDXF()), "DXF", 1, 1000.0, {"Top", "Bottom"},
         "Width: 10000 microns", "Height: 5000 microns"},
        {writeFile(folder, "board.GBR", inchGerber()), "Gerber", 3, 25400.0, {"Gerber"}, "Width: 25400 microns",
         "Height: 12700 microns", 1000.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.filename().string());
        auto window = openWindow(c.file, c.type);
        auto& document = window->document();
        EXPECT_EQ(window->windowTitle().toStdString(), c.file.filename().string());
        EXPECT_EQ(document.selectedScaleFactor(), c.choice);
        EXPECT_EQ(document.scalingFromUnitsToMicrons(), c.scaling);
        EXPECT_EQ(labelText(*window, "patternWidth"), c.width);
        EXPECT_EQ(labelText(*window, "patternHeight"), c.height);
        EXPECT_EQ(window->findChild<QComboBox*>("unit")->currentIndex(), c.choice);
        EXPECT_FALSE(window->findChild<QPushButton*>("cancelButton")->isVisible());
        EXPECT_FALSE(window->findChild<QPushButton*>("resumeFromHereButton")->isVisible());
        EXPECT_EQ(window->findChild<QPushButton*>("pauseButton")->text(), "Print");
        EXPECT_TRUE(document.printingPaused());

        auto* table = window->findChild<QTableWidget*>("solutionTable");
        ASSERT_EQ(table->rowCount(), static_cast<int>(c.layers.size()));
        for (int row = 0; row < table->rowCount(); ++row) {
            EXPECT_EQ(table->item(row, 0)->text(), c.layers[static_cast<std::size_t>(row)]);
            EXPECT_EQ(table->item(row, 1)->checkState(), Qt::Checked);
            auto* well = qobject_cast<QComboBox*>(table->cellWidget(row, 2));
            ASSERT_NE(well, nullptr);
            EXPECT_EQ(well->currentText(), "Solution in dispenser");
            EXPECT_EQ(well->count(), 3);
        }

        if (c.featureWidth > 0.0) {
            document.setFeatureWidth(c.featureWidth);
        }
        auto& preview = window->preview();
        const QImage image = grabToPNG(preview, "document-" + c.file.filename().string());
        grabToPNG(*window, "document-window-" + c.file.filename().string());
        EXPECT_GT(countPixels(image, [](QColor p) { return near(p, 64, 64, 64); }), 20)
            << "items in the normal colour";
        const double s = preview.calculatedScaleFactor();
        const QPointF offset = preview.calculatedOriginOffsetWithScaleFactor(s);
        EXPECT_TRUE(crossVisible(image, offset)) << "the origin cross at the pattern's origin";
    }
}

TEST(PatternDocumentWindow, ScaleTextAndStartingItemRules) {
    const auto folder = testFolder("scale");
    auto window = openWindow(writeFile(folder, "narrow.xml", micronPatternXML(lineXML("A", 0, 0, 10.5, 0))), "Pattern");
    auto& document = window->document();
    auto* field = window->findChild<QLineEdit*>("scaleFactor");
    EXPECT_EQ(field->text(), "1");
    EXPECT_EQ(labelText(*window, "patternWidth"), "Width: 11 microns") << "halves round away from zero";

    const auto type = [&](const char* text) {
        field->setText(text);
        emit field->editingFinished();
    };
    for (const char* ignored : {"abc", "1", "1,5", " 3"}) {
        type(ignored);
        EXPECT_EQ(document.scalingFromUnitsToMicrons(), 1.0) << ignored;
        EXPECT_EQ(document.selectedScaleFactor(), 0) << ignored;
    }
    type("0.005");
    EXPECT_EQ(document.scalingFromUnitsToMicrons(), 1.0) << "0.01 or less is refused";
    EXPECT_EQ(document.selectedScaleFactor(), 4) << "the choice still becomes custom";
    EXPECT_EQ(window->findChild<QComboBox*>("unit")->currentIndex(), 4);
    type("2.6");
    EXPECT_EQ(document.scalingFromUnitsToMicrons(), 2.6);
    EXPECT_EQ(field->text(), "2");
    EXPECT_EQ(labelText(*window, "patternWidth"), "Width: 27 microns");

    window->findChild<QComboBox*>("unit")->setCurrentIndex(3);
    EXPECT_EQ(document.scalingFromUnitsToMicrons(), 25400.0);
    EXPECT_EQ(field->text(), "25400");

    document.setStartingLayer(0);
    document.setStartingItemInLayer(3);
    EXPECT_EQ(document.startingLayer(), 1);
    EXPECT_EQ(window->preview().currentlyPrintingLayer(), 0);
    EXPECT_EQ(window->preview().currentlyPrintingItemInLayer(), 2);
    document.setStartingLayer(9);
    EXPECT_EQ(window->preview().currentlyPrintingLayer(), 0) << "beyond the last layer: the last layer";
}

TEST(PatternDocumentWindow, UntickedLayerIsHiddenAndLeftOutOfTheExport) {
    const auto folder = testFolder("layers");
    auto window = openWindow(writeFile(folder, "layers.xml",
                                       micronPatternXML(lineXML("A", 0, 100, 1000, 100) +
                                                        lineXML("B", 0, 600, 1000, 600))),
                             "Pattern");
    auto& document = window->document();
    auto& preview = window->preview();
    auto* table = window->findChild<QTableWidget*>("solutionTable");
    const auto darkRows = [&](const QImage& image, double patternY) {
        const double s = preview.calculatedScaleFactor();
        const int y = static_cast<int>(patternY * s + preview.calculatedOriginOffsetWithScaleFactor(s).y());
        int dark = 0;
        for (int x = 0; x < image.width(); ++x) {
            dark += near(image.pixelColor(x, y), 64, 64, 64) ? 1 : 0;
        }
        return dark;
    };
    EXPECT_GT(darkRows(grabToPNG(preview, "layers-both"), 100), 50);

    table->item(0, 1)->setCheckState(Qt::Unchecked);
    QApplication::processEvents();
    EXPECT_EQ(preview.disabledLayers(), std::set<std::string>{"A"});
    EXPECT_FALSE(document.solutionEnabledForRow(0));
    QImage image = grabToPNG(preview, "layers-A-hidden");
    EXPECT_EQ(darkRows(image, 100), 0) << "layer A's items are hidden";
    EXPECT_GT(darkRows(image, 600), 50);
    preview.rebuildPatternItemLayers();
    EXPECT_EQ(darkRows(grabToPNG(preview, "layers-A-hidden-rebuilt"), 100), 0) << "still hidden after a rebuild";

    // The well column maps a solution to a well and back.
    auto* well = qobject_cast<QComboBox*>(table->cellWidget(1, 2));
    well->setCurrentIndex(2);
    EXPECT_EQ(document.previouslySetMappingTable().at("B").name, "Ink");
    EXPECT_EQ(document.solutionWellIndexForRow(1), 2);
    well->setCurrentIndex(0);
    EXPECT_TRUE(document.previouslySetMappingTable().empty());

    document.setSelectedScaleFactor(1);
    ScopedScriptedSaveFileChooser chooser;
    chooser.chooser().answer(folder / "exported");
    // What an export killed before its rename left behind goes; the file
    // gets the permissions the umask allows, not the temporary file's 0600.
    const auto leftover = writeFile(folder, "exported.pattern.Qw3rT7", "half a pattern");
    std::filesystem::last_write_time(leftover, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    const mode_t previousMask = ::umask(027);
    const bool exportedOK = document.exportPattern();
    ::umask(previousMask);
    ASSERT_TRUE(exportedOK);
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_EQ(std::filesystem::status(folder / "exported.pattern").permissions(),
              static_cast<std::filesystem::perms>(0640));
    const auto request = chooser.chooser().requests().at(0);
    EXPECT_EQ(request.nameFilter, "Patterns (*.pattern)");
    EXPECT_EQ(request.defaultSuffix, "pattern");
    EXPECT_EQ(request.proposedFile, folder / "layers.pattern");
    const auto exported = VeltranePatterns::patternFromXMLFile(folder / "exported.pattern");
    ASSERT_TRUE(exported);
    // The unticked layer is declared but its items are left out.
    ASSERT_EQ(exported->solutionLayers().size(), 2u);
    EXPECT_EQ(exported->solutionLayers()[0].solutionName(), "A");
    EXPECT_TRUE(exported->solutionLayers()[0].patternItems().empty());
    EXPECT_EQ(exported->solutionLayers()[1].solutionName(), "B");
    const auto* line =
        dynamic_cast<const VeltranePatterns::Line*>(exported->solutionLayers()[1].patternItems().at(0).get());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->startingPoint(), VeltranePatterns::Coordinate(0, 600000, 0)) << "in microns";
    EXPECT_EQ(line->endingPoint(), VeltranePatterns::Coordinate(1000000, 600000, 0));

    chooser.chooser().answer(std::nullopt);
    EXPECT_FALSE(document.exportPattern()) << "a cancelled chooser writes nothing";
}

TEST(PatternDocumentWindow, AFailedExportIsShownAndKeepsTheOldFile) {
    const auto folder = testFolder("export-fails");
    auto window = openWindow(writeFile(folder, "one.xml", micronPatternXML(lineXML("A", 0, 0, 100, 0))), "Pattern");
    // A read-only folder stops the write; the superuser ignores that, so then
    // the export goes where a folder stands and cannot be replaced.
    const auto target = folder / "locked" / "old.pattern";
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::path kept = target;
    if (::geteuid() == 0) {
        std::filesystem::create_directories(target);
        kept = target / "keep";
    }
    writeFile(kept.parent_path(), kept.filename().string(), "old bytes");
    std::filesystem::permissions(target.parent_path(), std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::owner_exec);
    ScopedScriptedAlertPresenter alerts;
    ScopedScriptedSaveFileChooser chooser;
    chooser.chooser().answer(target);
    EXPECT_FALSE(window->document().exportPattern());
    std::filesystem::permissions(target.parent_path(), std::filesystem::perms::owner_all);
    ASSERT_EQ(alerts.presenter().shownAlerts().size(), 1u);
    EXPECT_EQ(alerts.presenter().shownAlerts()[0].messageText, "The pattern could not be exported.");
    EXPECT_FALSE(alerts.presenter().shownAlerts()[0].informativeText.empty()) << "with the reason";
    EXPECT_EQ(fileText(kept), "old bytes");
}

TEST(PatternDocument, RefusesUnknownTypesAndUnreadableFiles) {
    const auto folder = testFolder("refused");
    PatternDocument document;
    try {
        document.readFromFile(writeFile(folder, "a.pattern", micronPatternXML("")), "Spreadsheet");
        FAIL() << "an unknown type opened";
    } catch (const PatternDocumentReadError& error) {
        EXPECT_EQ(error.kind(), PatternDocumentReadError::Kind::unknownType);
        EXPECT_STREQ(error.what(), "Dotfield cannot open files of this type.");
    }
    EXPECT_THROW(document.readFromFile(writeFile(folder, "b.pattern", "not xml"), "Pattern"),
                 PatternDocumentReadError);
    EXPECT_THROW(document.readFromFile(folder / "missing.dxf", "DXF"), PatternDocumentReadError);
    EXPECT_FALSE(document.pattern());
}

TEST(PatternDocumentWindow, WithoutAPositionerTheDocumentClosesWithAnAlert) {
    const auto folder = testFolder("no-robot");
    ScopedScriptedAlertPresenter alerts;
    auto window = openWindow(writeFile(folder, "one.xml", micronPatternXML(lineXML("A", 0, 0, 100, 0))), "Pattern",
                             false);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->document().printingCancelled());
    ASSERT_EQ(alerts.presenter().shownAlerts().size(), 1u);
    EXPECT_NE(alerts.presenter().shownAlerts()[0].informativeText.find("positioner"), std::string::npos);
}

TEST(PatternDocument, AnObserverRemovedWhileOthersAreToldIsNotCalledAgain) {
    // A window closing in answer to a change removes its own observers and
    // another's; those must not be called for the change under way.
    PatternDocument document;
    int first = 0;
    int second = 0;
    const int ownerA = 0;
    const int ownerB = 0;
    document.addObserver(
        [&](std::string_view) {
            ++first;
            document.removeObservers(&ownerB);
        },
        &ownerA);
    document.addObserver([&](std::string_view) { ++second; }, &ownerB);
    document.setOriginX(1.0);
    document.setOriginX(2.0);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 0);
}
