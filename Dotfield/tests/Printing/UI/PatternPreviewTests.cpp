// The preview view: its scale factor, print progress mapped from the pattern's
// indices, hidden layers, the progress background and the out-of-reach bands.

#include <algorithm>
#include <cmath>
#include <memory>

#include <QApplication>

#include <gtest/gtest.h>

#include "Dotfield/Printing/UI/PatternDocumentWindow.hpp"
#include "Dotfield/Printing/UI/PatternPreview.hpp"
#include "Dotfield/tests/Printing/UI/DocumentFixtures.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
#include "VeltranePatterns/Source/Items/PatternPause.hpp"

using namespace Dotfield;
using namespace DocumentTests;
using VeltranePatterns::Coordinate;
using VeltranePatterns::DisplayState;
using VeltranePatterns::PatternItemPtr;

namespace {

PatternItemPtr line(double x1, double y1, double x2, double y2) {
    return std::make_shared<const VeltranePatterns::Line>(Coordinate(x1, y1, 0), Coordinate(x2, y2, 0));
}

PatternItemPtr pauseItem() { return std::make_shared<const VeltranePatterns::PatternPause>(1.0); }

std::shared_ptr<const VeltranePatterns::Pattern>
patternOf(std::vector<std::pair<std::string, std::vector<PatternItemPtr>>> layers, double maxX, double maxY) {
    std::vector<VeltranePatterns::SolutionLayer> solutionLayers;
    for (auto& [name, items] : layers) {
        solutionLayers.emplace_back(std::move(items), name);
    }
    return std::make_shared<const VeltranePatterns::Pattern>(
        Zovudidova::DistanceUnit::microns, 1.0, 1.0, 50.0, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
        false, false, false, std::move(solutionLayers), VeltranePatterns::Pattern::Triple{},
        VeltranePatterns::Pattern::Triple{maxX, maxY, 0.0});
}

// Three solution layers of four lines each, one row per layer.
std::shared_ptr<const VeltranePatterns::Pattern> threeByFour() {
    std::vector<std::pair<std::string, std::vector<PatternItemPtr>>> layers;
    for (int l = 0; l < 3; ++l) {
        std::vector<PatternItemPtr> items;
        for (int i = 0; i < 4; ++i) {
            items.push_back(line(i * 500.0, l * 500.0, i * 500.0 + 300.0, l * 500.0));
        }
        layers.emplace_back("L" + std::to_string(l), std::move(items));
    }
    return patternOf(std::move(layers), 1800.0, 1000.0);
}

void showPattern(PatternPreview& preview, std::shared_ptr<const VeltranePatterns::Pattern> pattern) {
    preview.resize(500, 320);
    preview.setLowerLeft({0.0, pattern->maximumLimits().y});
    preview.setUpperRight({pattern->maximumLimits().x, 0.0});
    preview.setPattern(std::move(pattern));
    preview.rebuildPatternItemLayers();
    preview.show();
    QApplication::processEvents();
}

std::vector<std::vector<DisplayState>> statesOf(const PatternPreview& preview) {
    std::vector<std::vector<DisplayState>> states;
    for (const auto& list : preview.patternItemLayers()) {
        states.emplace_back();
        for (const auto& layer : list) {
            states.back().push_back(layer->state());
        }
    }
    return states;
}

constexpr auto P = DisplayState::printed;
constexpr auto S = DisplayState::selected;
constexpr auto N = DisplayState::normal;

} // namespace

TEST(PatternPreview, ScaleFactorWidensAFlatExtentAndIsZeroForNone) {
    struct Case {
        PreviewPoint lowerLeft;
        PreviewPoint upperRight;
        double scale;
        QPointF upperRightAfter;
    };
    const Case cases[] = {
        {{0, 0}, {0, 0}, 0.0, {0, 0}},
        {{0, 1000}, {2000, 0}, std::min(205.0 / 1050.0, 410.0 / 2050.0), {2000, 0}},
        {{0, 0}, {0, 500}, std::min(205.0 / 550.0, 410.0 / 550.0), {500, 500}},
    };
    for (const auto& c : cases) {
        PatternPreview preview;
        preview.resize(410, 205);
        preview.setLowerLeft(c.lowerLeft);
        preview.setUpperRight(c.upperRight);
        EXPECT_DOUBLE_EQ(preview.calculatedScaleFactor(), c.scale);
        EXPECT_EQ(preview.upperRight(), c.upperRightAfter);
    }

    PatternPreview fresh;
    fresh.resize(120, 80);
    const QImage image = grabToPNG(fresh, "preview-fresh");
    EXPECT_TRUE(near(image.pixelColor(60, 40), 255, 255, 255));
    EXPECT_TRUE(near(image.pixelColor(5, 0), 0, 0, 0)) << "the origin cross at the top-left corner";
    EXPECT_TRUE(near(image.pixelColor(0, 5), 0, 0, 0));
}

TEST(PatternPreview, ProgressMarksPrintedSelectedAndNormalItems) {
    PatternPreview preview;
    showPattern(preview, threeByFour());
    preview.simulatePrintingUpToLayer(1, 2);
    EXPECT_EQ(statesOf(preview), (std::vector<std::vector<DisplayState>>{{P, P, P, P}, {P, P, S, N}, {N, N, N, N}}));

    const QImage image = grabToPNG(preview, "preview-progress");
    EXPECT_GT(countPixels(image, [](QColor p) { return near(p, 235, 235, 235, 1); }), 1000) << "grey background";
    EXPECT_GT(countPixels(image, [](QColor p) { return near(p, 255, 255, 255, 0); }), 200) << "white box";
    // The dashed guide above the box: grey dashes of ten points with gaps.
    const auto& item = preview.pattern()->solutionLayers()[1].patternItems()[2];
    const double s = preview.calculatedScaleFactor();
    const double top = item->limits().minY * s + preview.calculatedOriginOffsetWithScaleFactor(s).y() - 20.0;
    int dashes = 0;
    bool inDash = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool grey = near(image.pixelColor(x, static_cast<int>(std::round(top))), 128, 128, 128, 2);
        dashes += grey && !inDash ? 1 : 0;
        inDash = grey;
    }
    EXPECT_GE(dashes, image.width() / 20 - 2) << "one dash every 20 points";

    preview.setCurrentlyPrintingItemInLayer(3);
    EXPECT_EQ(statesOf(preview)[1], (std::vector<DisplayState>{P, P, P, S}));
    preview.setCurrentlyPrintingItemInLayer(99);
    EXPECT_EQ(statesOf(preview)[1], (std::vector<DisplayState>{P, P, P, P})) << "out of range: only the previous";
    preview.simulatePrintingUpToLayer(7, 0);
    EXPECT_EQ(preview.currentlyPrintingLayer(), 1) << "an unknown layer changes nothing";

    preview.simulatePrintingUpToLayer(1, 1);
    preview.rebuildPatternItemLayers();
    EXPECT_EQ(statesOf(preview), (std::vector<std::vector<DisplayState>>{{P, P, P, P}, {P, S, N, N}, {N, N, N, N}}))
        << "a rebuild keeps the states the indices imply";
}

TEST(PatternPreview, EngineIndicesCountPausesButTheLayerListsDoNot) {
    PatternPreview preview;
    showPattern(preview, patternOf({{"A", {pauseItem(), line(0, 0, 400, 0), line(0, 300, 400, 300)}},
                                    {"B", {line(0, 600, 400, 600), pauseItem(), line(500, 600, 900, 600)}}},
                                   900, 600));
    ASSERT_EQ(preview.patternItemLayers()[0].size(), 2u) << "the pause draws nothing";
    preview.setCurrentlyPrintingLayer(0);
    preview.setCurrentlyPrintingItemInLayer(1);
    EXPECT_EQ(statesOf(preview)[0], (std::vector<DisplayState>{S, N})) << "item 1 of the pattern is the first line";
    preview.setCurrentlyPrintingItemInLayer(2);
    EXPECT_EQ(statesOf(preview)[0], (std::vector<DisplayState>{P, S}));
    preview.setCurrentlyPrintingLayer(1);
    preview.setCurrentlyPrintingItemInLayer(1);
    EXPECT_EQ(statesOf(preview)[1], (std::vector<DisplayState>{N, N})) << "a pause selects nothing";

    preview.simulatePrintingUpToLayer(1, 2);
    preview.rebuildPatternItemLayers();
    EXPECT_EQ(statesOf(preview), (std::vector<std::vector<DisplayState>>{{P, P}, {P, S}}));
    preview.simulatePrintingUpToLayer(0, 2);
    EXPECT_EQ(statesOf(preview), (std::vector<std::vector<DisplayState>>{{P, S}, {P, S}}))
        << "later lists are left as they were";
}

TEST(PatternPreview, HidingALayerHidesEveryLayerOfItsName) {
    PatternPreview preview;
    showPattern(preview, patternOf({{"A", {line(0, 0, 900, 0)}},
                                    {"B", {line(0, 300, 900, 300)}},
                                    {"A", {line(0, 600, 900, 600)}}},
                                   900, 600));
    const auto visible = [&] {
        std::vector<bool> shown;
        for (const auto& list : preview.patternItemLayers()) {
            shown.push_back(list.front()->isVisible());
        }
        return shown;
    };
    preview.hideLayer("Z");
    EXPECT_TRUE(preview.disabledLayers().empty());
    preview.hideLayer("A");
    EXPECT_EQ(preview.disabledLayers(), std::set<std::string>{"A"});
    EXPECT_EQ(visible(), (std::vector<bool>{false, true, false}));
    preview.rebuildPatternItemLayers();
    EXPECT_EQ(visible(), (std::vector<bool>{false, true, false})) << "disabled layers stay hidden";
    const QImage image = grabToPNG(preview, "preview-namesakes-hidden");
    EXPECT_GT(countPixels(image, [](QColor p) { return near(p, 64, 64, 64); }), 50);
    preview.showLayer("A");
    EXPECT_EQ(visible(), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(preview.disabledLayers().empty());
}

TEST(PatternPreview, RedBandWhereThePositionerCannotReachFollowsTheOrigin) {
    const auto folder = testFolder("reach");
    auto document = std::make_shared<PatternDocument>();
    document->readFromFile(writeFile(folder, "wide.xml",
                                     micronPatternXML(lineXML("A", 0, 0, 3000, 0) + lineXML("A", 0, 1000, 3000, 1000))),
                           "Pattern");
    const auto robot = positionerWithTravel();
    robot->setCurrentCoordinate({98500.0, 50000.0, 0.0});
    document->setRobot(robot);
    PatternDocumentWindow window(document);
    window.resize(980, 560);
    window.show();
    QApplication::processEvents();
    auto& preview = window.preview();

    const auto firstRedColumn = [&](const QImage& image) {
        const int y = image.height() / 2;
        for (int x = 0; x < image.width(); ++x) {
            if (near(image.pixelColor(x, y), 255, 0, 0, 0)) {
                return x;
            }
        }
        return -1;
    };
    const QImage before = grabToPNG(preview, "preview-reach");
    const int edge = firstRedColumn(before);
    const double s = preview.calculatedScaleFactor();
    EXPECT_NEAR(edge, 1500.0 * s + preview.calculatedOriginOffsetWithScaleFactor(s).x(), 1.0);
    EXPECT_TRUE(near(before.pixelColor(before.width() - 1, before.height() / 2), 255, 0, 0, 0));

    document->setOriginX(1000.0);
    QApplication::processEvents();
    const int moved = firstRedColumn(grabToPNG(preview, "preview-reach-origin-moved"));
    EXPECT_NEAR(moved - edge, 1000.0 * preview.calculatedScaleFactor(), 1.0);

    robot->setCurrentCoordinate({50000.0, 50000.0, 0.0});
    document->windowDidBecomeActive();
    EXPECT_EQ(firstRedColumn(grabToPNG(preview, "preview-reach-jogged")), -1) << "the bands follow the positioner";

    preview.setStartingLocation(std::nullopt);
    const QImage noStart = grabToPNG(preview, "preview-reach-no-start");
    EXPECT_EQ(countPixels(noStart, [](QColor p) { return near(p, 255, 0, 0, 0); }), 0);
}
