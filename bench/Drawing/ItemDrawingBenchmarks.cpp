// Drawing many items into an image: straight through the item drawing, through
// one layer per item as the preview paints them, and through a graphics scene
// of layers.

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>

#include "VeltranePatterns/Source/Drawing/DrawablePatternItems.hpp"
#include "VeltranePatterns/Source/Drawing/PainterDrawingContext.hpp"
#include "VeltranePatterns/Source/Drawing/PatternItemLayer.hpp"
#include "VeltranePatterns/Source/Items/PatternItems.hpp"

namespace {

using namespace VeltranePatterns;
using Zovudidova::degrees;
using Zovudidova::seconds;

constexpr double scaleFactor = 0.02;
constexpr double featureWidth = 50.0;
constexpr int imageSize = 2000;

void ensureApplication() {
    if (QApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "ItemDrawingBenchmarks";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
    }
}

// Items of every drawing kind on a grid that fills the image.
std::vector<DrawablePatternItemPtr> gridOfItems(int count) {
    std::vector<DrawablePatternItemPtr> items;
    items.reserve(static_cast<std::size_t>(count));
    const int perRow = static_cast<int>(std::ceil(std::sqrt(count)));
    const double pitch = imageSize / scaleFactor / perRow;
    for (int i = 0; i < count; ++i) {
        const double x = (i % perRow) * pitch;
        const double y = (i / perRow) * pitch;
        const Coordinate center(x + pitch / 2, y + pitch / 2, 0);
        const double r = pitch / 3;
        PatternItemPtr item;
        switch (i % 6) {
        case 0:
            item =
                std::make_shared<Line>(Coordinate(x, y, 0), Coordinate(x + pitch * 0.8, y + pitch * 0.5, 0));
            break;
        case 1:
            item = std::make_shared<Point>(center, seconds(1));
            break;
        case 2:
            item =
                std::make_shared<Arc>(center, degrees(-45), degrees(200), r, RotationalDirection::clockwise);
            break;
        case 3:
            item = std::make_shared<ArcFill>(r / 2, r, center, degrees(0), degrees(270),
                                             RotationalDirection::counterClockwise);
            break;
        case 4:
            item = std::make_shared<Fill>(Coordinate(x, y, 0), FillDimensions{pitch * 0.7, pitch * 0.6, 0},
                                          Fill::FillType::horizontal);
            break;
        default:
            item = std::make_shared<Polygon>(std::vector<Coordinate>{{x, y, 0},
                                                                     {x + pitch * 0.8, y, 0},
                                                                     {x + pitch * 0.4, y + pitch * 0.8, 0},
                                                                     {x + pitch * 0.1, y + pitch * 0.5, 0}});
            break;
        }
        items.push_back(makeDrawablePatternItem(item));
    }
    return items;
}

QImage blankImage() {
    QImage image(imageSize, imageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

// Every item drawn with one context, at its place in the pattern.
void BM_DrawItemsIntoImage(benchmark::State& state) {
    ensureApplication();
    const auto items = gridOfItems(static_cast<int>(state.range(0)));
    QImage image = blankImage();
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        PainterDrawingContext context(painter);
        for (const auto& item : items) {
            const Limits box = item->limits();
            item->drawAtOffset(Coordinate(box.minX * scaleFactor, box.minY * scaleFactor, 0),
                               ScaleFactors{scaleFactor, scaleFactor, scaleFactor}, 0.0, context);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DrawItemsIntoImage)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

std::vector<std::unique_ptr<PatternItemLayer>> layersFor(const std::vector<DrawablePatternItemPtr>& items,
                                                         bool someSelected) {
    std::vector<std::unique_ptr<PatternItemLayer>> layers;
    layers.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto layer = std::make_unique<PatternItemLayer>(items[i], featureWidth, scaleFactor);
        layer->setFrame(items[i]->frame(scaleFactor, featureWidth, {0, 0}));
        if (someSelected && i % 100 == 0) {
            layer->setState(DisplayState::selected);
        } else if (i % 2 == 0) {
            layer->setState(DisplayState::printed);
        }
        layers.push_back(std::move(layer));
    }
    return layers;
}

// One layer per item, each painted at its frame, as the preview does; with
// one item in a hundred selected (and so shadowed) when the second argument is 1.
void BM_PaintLayersIntoImage(benchmark::State& state) {
    ensureApplication();
    const auto items = gridOfItems(static_cast<int>(state.range(0)));
    const auto layers = layersFor(items, state.range(1) != 0);
    QImage image = blankImage();
    for (auto _ : state) {
        QPainter painter(&image);
        for (const auto& layer : layers) {
            painter.save();
            painter.translate(layer->pos());
            layer->paint(&painter, nullptr, nullptr);
            painter.restore();
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PaintLayersIntoImage)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);

// The whole scene of layers rendered into the image.
void BM_RenderLayerScene(benchmark::State& state) {
    ensureApplication();
    const auto items = gridOfItems(static_cast<int>(state.range(0)));
    QGraphicsScene scene;
    for (auto& layer : layersFor(items, false)) {
        scene.addItem(layer.release());
    }
    QImage image = blankImage();
    for (auto _ : state) {
        QPainter painter(&image);
        scene.render(&painter, QRectF(image.rect()), QRectF(image.rect()));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RenderLayerScene)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
