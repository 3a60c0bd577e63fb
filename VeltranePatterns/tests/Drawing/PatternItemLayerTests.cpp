#include <cmath>
#include <memory>
#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGraphicsRectItem>
#include <QGraphicsScene>

#include "VeltranePatterns/Source/Drawing/PatternItemLayer.hpp"
#include "VeltranePatterns/Source/Drawing/RecordingDrawingContext.hpp"
#include "VeltranePatterns/tests/Drawing/DrawingTestPrinters.hpp"
#include "VeltranePatterns/tests/Drawing/QtTestApplication.hpp"

namespace VeltranePatterns {
namespace {

namespace Op = RecordedOperation;

// An item with a given box that strokes the box's diagonal and remembers how
// it was asked to draw.
class BoxItem final : public DrawablePatternItem {
public:
    explicit BoxItem(Limits box) : box_(box) {}

    struct Call {
        Coordinate offset;
        ScaleFactors scale;
        double rotation = 0.0;
    };

    void drawAtOffset(const Coordinate& offset, const ScaleFactors& scale, double rotation,
                      DrawingContext& context) const override {
        lastCall = Call{offset, scale, rotation};
        context.moveTo({offset.x, offset.y});
        context.addLineTo({(box_.maxX - box_.minX) * scale.x + offset.x, (box_.maxY - box_.minY) * scale.y + offset.y});
        context.strokePath();
    }
    Limits limits() const override { return box_; }

    mutable std::optional<Call> lastCall;

private:
    Limits box_;
};

std::shared_ptr<BoxItem> box(double minX, double maxX, double minY, double maxY) {
    return std::make_shared<BoxItem>(Limits{minX, maxX, minY, maxY, 0.0, 0.0});
}

TEST(PatternItemLayer, StartsNormalWithBoundsOfTheScaledItemBox) {
    const PatternItemLayer line(box(0, 100, 0, 50), 50.0, 0.5);
    EXPECT_EQ(line.state(), DisplayState::normal);
    EXPECT_EQ(line.bounds(), QRectF(0, 0, 50, 25));
    EXPECT_EQ(line.boundingRect(), line.bounds());

    PatternItemLayer point(box(7, 7, 3, 3), 50.0, 0.5);
    EXPECT_EQ(point.bounds(), QRectF(0, 0, 0, 0)) << "empty until the owner gives it a frame";
    point.setFrame({-12.5, 4.0, 25.0, 25.0});
    EXPECT_EQ(point.pos(), QPointF(-12.5, 4.0));
    EXPECT_EQ(point.bounds(), QRectF(0, 0, 25, 25));

    point.setPatternItem(box(0, 10, 0, 20));
    EXPECT_EQ(point.bounds(), QRectF(0, 0, 5, 10)) << "a new item resizes the layer";
    point.setScaleFactor(2.0);
    EXPECT_EQ(point.bounds(), QRectF(0, 0, 5, 10)) << "a new scale factor only is stored";
    point.resizeToMatchItem();
    EXPECT_EQ(point.bounds(), QRectF(0, 0, 20, 40));
}

TEST(PatternItemLayer, UnusableSizesGiveAnEmptyLayer) {
    PatternItemLayer layer(box(0, NAN, 0, 10), 50.0, 1.0);
    EXPECT_EQ(layer.bounds(), QRectF(0, 0, 0, 10));
    layer.setFrame({NAN, 1.0, INFINITY, -3.0});
    EXPECT_EQ(layer.pos(), QPointF(0, 1));
    EXPECT_EQ(layer.bounds(), QRectF(0, 0, 0, 0));
}

TEST(PatternItemLayer, LineWidthIsTheScaledFeatureWidthButAtLeastOne) {
    struct Case {
        double scaleFactor;
        double featureWidth;
        double lineWidth;
    };
    const Case cases[] = {{0.01, 50, 1.0}, {0.1, 50, 5.0}, {2.0, 50, 100.0}, {NAN, 50, 1.0}, {0.0, 50, 1.0}};
    for (const Case& c : cases) {
        const PatternItemLayer layer(box(0, 1, 0, 1), c.featureWidth, c.scaleFactor);
        RecordingDrawingContext context;
        layer.drawInContext(context);
        const auto& ops = context.operations();
        ASSERT_GE(ops.size(), 3U);
        EXPECT_TRUE(std::holds_alternative<Op::SetLineJoin>(ops[0]));
        EXPECT_EQ(std::get<Op::SetLineJoin>(ops[0]).join, LineJoin::round);
        EXPECT_EQ(std::get<Op::SetLineCap>(ops[1]).cap, LineCap::round);
        EXPECT_EQ(std::get<Op::SetLineWidth>(ops[2]).width, c.lineWidth) << "scale factor " << c.scaleFactor;
    }
}

TEST(PatternItemLayer, StateChoosesTheColoursAndTheSelectedShadow) {
    struct Case {
        DisplayState state;
        DrawingColor color;
        bool shadow;
    };
    const Case cases[] = {
        {DisplayState::normal, {0.0, 0.0, 0.0, 0.75}, false},
        {DisplayState::printed, {0.5, 0.5, 0.5, 0.25}, false},
        {DisplayState::selected, {0.1875, 0.512, 0.98, 1.0}, true},
    };
    for (const Case& c : cases) {
        PatternItemLayer layer(box(0, 1, 0, 1), 50, 1);
        layer.setState(c.state);
        RecordingDrawingContext context;
        layer.drawInContext(context);

        std::optional<DrawingColor> stroke;
        std::optional<DrawingColor> fill;
        std::optional<DrawingShadow> shadow;
        bool paintedBeforeState = false;
        for (const auto& op : context.operations()) {
            if (const auto* s = std::get_if<Op::SetStrokeColor>(&op)) {
                stroke = s->color;
            } else if (const auto* f = std::get_if<Op::SetFillColor>(&op)) {
                fill = f->color;
            } else if (const auto* h = std::get_if<Op::SetShadow>(&op)) {
                shadow = h->shadow;
            } else if (std::holds_alternative<Op::StrokePath>(op) && !stroke) {
                paintedBeforeState = true;
            }
        }
        const int state = static_cast<int>(c.state);
        EXPECT_FALSE(paintedBeforeState) << state;
        EXPECT_EQ(stroke, c.color) << state;
        EXPECT_EQ(fill, c.color) << state;
        if (c.shadow) {
            ASSERT_TRUE(shadow.has_value());
            EXPECT_EQ(shadow->offset, (DrawingPoint{0, 0}));
            EXPECT_EQ(shadow->blur, 5.0);
            EXPECT_EQ(shadow->color, (DrawingColor{0.5, 0.9, 1.0, 1.0}));
        } else {
            EXPECT_FALSE(shadow.has_value()) << state;
        }
    }
}

TEST(PatternItemLayer, ItemDrawsHalfAScaledFeatureWidthInsideTheEdges) {
    const auto item = box(10, 110, 20, 70);
    const PatternItemLayer layer(item, 50.0, 0.2);
    RecordingDrawingContext context;
    layer.drawInContext(context);
    ASSERT_TRUE(item->lastCall.has_value());
    EXPECT_EQ(item->lastCall->offset, Coordinate(5.0, 5.0, 0.0));
    EXPECT_EQ(item->lastCall->scale.x, 0.2);
    EXPECT_EQ(item->lastCall->scale.y, 0.2);
    EXPECT_EQ(item->lastCall->scale.z, 0.2);
    EXPECT_EQ(item->lastCall->rotation, 0.0);
}

TEST(PatternItemLayer, CopyKeepsItemScaleWidthAndPlaceButNotTheState) {
    const auto item = box(0, 100, 0, 50);
    PatternItemLayer layer(item, 40.0, 0.5);
    layer.setFrame({3, 4, 70, 45});
    layer.setState(DisplayState::selected);

    const auto copy = PatternItemLayer::copyOf(layer);
    EXPECT_EQ(copy->patternItem(), layer.patternItem());
    EXPECT_EQ(copy->scaleFactor(), 0.5);
    EXPECT_EQ(copy->featureWidth(), 40.0);
    EXPECT_EQ(copy->frame(), (DrawingRect{3, 4, 70, 45}));
    EXPECT_EQ(copy->state(), DisplayState::normal);
}

TEST(PatternItemLayer, ChangesReachTheSceneOnlyWhenTheOwnerAsksForRedisplay) {
    ensureQtApplication();
    QGraphicsScene scene;
    auto* layer = new PatternItemLayer(box(0, 100, 0, 50), 50.0, 0.5);
    scene.addItem(layer);
    QCoreApplication::processEvents();
    int changes = 0;
    QObject::connect(&scene, &QGraphicsScene::changed, [&changes](const QList<QRectF>&) { ++changes; });

    layer->setState(DisplayState::selected);
    layer->setScaleFactor(0.7);
    layer->setFeatureWidth(20.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, 0);

    layer->update();
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, 1);
}

TEST(PatternItemLayerDeathTest, CopyOfAnotherKindOfLayerStops) {
    const QGraphicsRectItem other(0, 0, 10, 10);
    EXPECT_DEATH((void)PatternItemLayer::copyOf(other),
                 "Somehow tried to internally copy another layer to a PatternItemLayer");
}

TEST(PatternItemLayerDeathTest, LayerWithoutAnItemStops) {
    EXPECT_DEATH(PatternItemLayer(nullptr, 50.0, 1.0), "needs an item to draw");
}

TEST(DrawablePatternItemFrame, IsTheBoxWidenedByHalfAFeatureWidthWithTheSizeRoundedUp) {
    struct Case {
        Limits limits;
        double scaleFactor;
        double featureWidth;
        DrawingPoint offset;
        DrawingRect frame;
    };
    const Case cases[] = {
        {{0, 100, 0, 50, 0, 0}, 0.5, 50, {0, 0}, {-12.5, -12.5, 75, 50}},
        // 50 * 1.1 is 55.00000000000001, which rounds up to 56.
        {{5, 5, 5, 5, 0, 0}, 1.1, 50, {0, 0}, {(5 - 25) * 1.1, (5 - 25) * 1.1, 56, 56}},
        {{-10, 10, 2, 4, 0, 0}, 2.0, 1, {100, -100}, {79, -97, 42, 6}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BoxItem(c.limits).frame(c.scaleFactor, c.featureWidth, c.offset), c.frame);
    }
}

} // namespace
} // namespace VeltranePatterns
