// The preview paints its items with the same pixels as painting each item's
// layer by itself (saved painter, translated to the layer, the layer's own
// paint()), composited over the background as one transparent image: at line
// widths below, at and above one pixel, for every kind of item and state.

#include <memory>
#include <random>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "Dotfield/Printing/UI/PatternPreview.hpp"
#include "Dotfield/tests/Printing/UI/DocumentFixtures.hpp"
#include "VeltranePatterns/Source/Items/PatternItems.hpp"

using namespace Dotfield;
using namespace VeltranePatterns;
using Zovudidova::degrees;

namespace {

// Items of every drawable kind at places that fall between pixels, and a
// pause, over three solution layers.
std::shared_ptr<const Pattern> mixedPattern() {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> place(0.0, 4000.0);
    std::uniform_real_distribution<double> size(1.0, 400.0);
    const auto at = [&] { return Coordinate{place(random), place(random), 0.0}; };
    std::vector<PatternItemPtr> layers[3];
    for (int i = 0; i < 300; ++i) {
        PatternItemPtr item;
        const Coordinate c = at();
        switch (i % 7) {
        case 0:
        case 1:
            item = std::make_shared<const Line>(c, c + Coordinate{size(random) - 200.0, size(random) - 200.0, 0});
            break;
        case 2:
            item = std::make_shared<const Point>(c, Zovudidova::milliseconds(1));
            break;
        case 3:
            item = std::make_shared<const Arc>(c, degrees(-90), degrees(size(random)), size(random),
                                               i % 2 ? RotationalDirection::clockwise
                                                     : RotationalDirection::counterClockwise);
            break;
        case 4:
            item = std::make_shared<const Fill>(c, FillDimensions{size(random), size(random), 0},
                                                Fill::FillType::horizontal);
            break;
        case 5:
            item = std::make_shared<const Polygon>(
                std::vector<Coordinate>{c, c + Coordinate{size(random), 0, 0}, c + Coordinate{0, size(random), 0}});
            break;
        default:
            item = i % 3 ? PatternItemPtr(std::make_shared<const ArcFill>(size(random) / 4, size(random), c,
                                                                         degrees(0), degrees(size(random)),
                                                                         RotationalDirection::clockwise))
                         : std::make_shared<const PatternPause>(1.0);
            break;
        }
        layers[i % 3].push_back(std::move(item));
    }
    return std::make_shared<const Pattern>(Zovudidova::DistanceUnit::microns, 1.0, 1.0, 50.0, std::nullopt,
                                           std::nullopt, std::nullopt, std::nullopt, false, false, false,
                                           std::vector<SolutionLayer>{SolutionLayer(layers[0], "A"),
                                                                      SolutionLayer(layers[1], "B"),
                                                                      SolutionLayer(layers[2], "C")},
                                           Pattern::Triple{}, Pattern::Triple{4400, 4400, 0});
}

QImage rendered(PatternPreview& preview) {
    QImage image(preview.size(), QImage::Format_ARGB32_Premultiplied);
    preview.render(&image);
    return image;
}

// The background with every layer's own painting composited over it.
QImage layerByLayer(PatternPreview& preview) {
    for (const char* name : {"A", "B", "C"}) {
        preview.hideLayer(name);
    }
    QImage expected = rendered(preview);
    for (const char* name : {"A", "B", "C"}) {
        preview.showLayer(name);
    }
    QImage items(preview.size(), QImage::Format_ARGB32_Premultiplied);
    items.fill(Qt::transparent);
    {
        QPainter painter(&items);
        for (const auto& list : preview.patternItemLayers()) {
            for (const auto& layer : list) {
                painter.save();
                painter.translate(layer->pos());
                layer->paint(&painter, nullptr, nullptr);
                painter.restore();
            }
        }
    }
    QPainter(&expected).drawImage(0, 0, items);
    return expected;
}

} // namespace

TEST(PatternPreviewPixels, ItemsPaintAsTheirLayersDoOneByOne) {
    // Line widths of 1 (the least), 1 as the scale gives it, about 1.6, 2.5
    // and 7: thin and wide strokes, at places whose layers' clips cut into
    // them and places where they cut nothing.
    for (const QSize size : {QSize(43, 37), QSize(89, 89), QSize(140, 130), QSize(223, 223), QSize(610, 600)}) {
        PatternPreview preview;
        preview.resize(size);
        preview.setLowerLeft({0.0, 4400.0});
        preview.setUpperRight({4400.0, 0.0});
        preview.setPattern(mixedPattern());
        preview.rebuildPatternItemLayers();
        preview.simulatePrintingUpToLayer(1, 40);

        const QImage actual = rendered(preview);
        const QImage expected = layerByLayer(preview);
        int differing = 0;
        for (int y = 0; y < actual.height(); ++y) {
            for (int x = 0; x < actual.width(); ++x) {
                differing += actual.pixel(x, y) != expected.pixel(x, y);
            }
        }
        EXPECT_EQ(differing, 0) << size.width() << " x " << size.height();
        if (size.width() > 600) {
            DocumentTests::grabToPNG(preview, "preview-mixed-items");
        }
    }
}
