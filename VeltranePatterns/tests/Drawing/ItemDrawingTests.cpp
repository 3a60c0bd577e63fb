#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Drawing/DrawablePatternItems.hpp"
#include "VeltranePatterns/Source/Drawing/RecordingDrawingContext.hpp"
#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/tests/Drawing/DrawingTestPrinters.hpp"

namespace VeltranePatterns {
namespace {

namespace Op = RecordedOperation;
using Zovudidova::degrees;
using Zovudidova::radians;
using Zovudidova::seconds;

constexpr double pi = std::numbers::pi;

// What an item paints, as text, one line per fill or stroke with the path it consumed.
std::vector<std::string> painted(const PatternItemPtr& item, const Coordinate& offset,
                                 const ScaleFactors& scale, double rotation = 0.0) {
    const auto drawable = makeDrawablePatternItem(item);
    EXPECT_NE(drawable, nullptr);
    RecordingDrawingContext context;
    drawable->drawAtOffset(offset, scale, rotation, context);
    std::vector<std::string> result;
    for (const auto& op : context.paintOperations()) {
        result.push_back(describe(op));
    }
    return result;
}

// The path of the only paint operation of the given kind.
template <typename Paint>
Op::Path pathOf(const PatternItemPtr& item, const Coordinate& offset, const ScaleFactors& scale) {
    RecordingDrawingContext context;
    makeDrawablePatternItem(item)->drawAtOffset(offset, scale, 0.0, context);
    for (const auto& op : context.paintOperations()) {
        if (const auto* paint = std::get_if<Paint>(&op)) {
            return paint->path;
        }
    }
    ADD_FAILURE() << "nothing painted";
    return {};
}

constexpr ScaleFactors unitScale{1.0, 1.0, 1.0};

void expectPoint(DrawingPoint actual, double x, double y) {
    EXPECT_NEAR(actual.x, x, 1e-9);
    EXPECT_NEAR(actual.y, y, 1e-9);
}

TEST(ItemDrawing, LineIsStrokedRelativeToItsBox) {
    const auto line = std::make_shared<Line>(Coordinate(10, 10, 0), Coordinate(30, 20, 0));
    EXPECT_EQ(painted(line, {2, 2, 0}, {0.5, 0.5, 0.5}),
              std::vector<std::string>{"strokePath [moveTo (2.0, 2.0); lineTo (12.0, 7.0)]"});

    // Drawn from its own start to its end, whichever corner of the box that is.
    const auto backwards = std::make_shared<Line>(Coordinate(30, 20, 0), Coordinate(10, 40, 0));
    EXPECT_EQ(painted(backwards, {0, 0, 0}, {2, 3, 1}),
              std::vector<std::string>{"strokePath [moveTo (40.0, 0.0); lineTo (0.0, 60.0)]"});
}

TEST(ItemDrawing, PointIsATinySegmentAtTheOffset) {
    const auto point = std::make_shared<Point>(Coordinate(400, -70, 3), seconds(1));
    EXPECT_EQ(painted(point, {5, 5, 0}, {7, 7, 7}),
              std::vector<std::string>{"strokePath [moveTo (4.99, 5.0); lineTo (5.01, 5.0)]"});
}

TEST(ItemDrawing, ArcNormalisesNegativeAnglesAndInvertsTheDirection) {
    struct Case {
        Zovudidova::Angle start;
        Zovudidova::Angle end;
        RotationalDirection direction;
        double drawnStart;
        double drawnEnd;
        bool clockwiseFlag;
    };
    const Case cases[] = {
        {degrees(-90), degrees(0), RotationalDirection::clockwise, 4.71238898038469, 0.0, false},
        {degrees(-90), degrees(0), RotationalDirection::counterClockwise, 4.71238898038469, 0.0, true},
        {degrees(0), degrees(-180), RotationalDirection::clockwise, 0.0, pi, false},
        // In its own unit: -pi/2 radians becomes 3 pi/2 radians.
        {radians(-pi / 2), radians(pi), RotationalDirection::counterClockwise, 3 * pi / 2, pi, true},
        // A turn or more stays as it is.
        {degrees(450), degrees(720), RotationalDirection::clockwise, 5 * pi / 2, 4 * pi, false},
    };
    for (const Case& c : cases) {
        const auto arc = std::make_shared<Arc>(Coordinate(100, 100, 5), c.start, c.end, 10.0, c.direction);
        const Op::Path path = pathOf<Op::StrokePath>(arc, {3, 4, 0}, {2, 2, 2});
        ASSERT_EQ(path.size(), 1U);
        const auto& drawn = std::get<Op::Arc>(path[0]);
        expectPoint(drawn.center, 23, 24); // the box's corner is centre - radius
        EXPECT_EQ(drawn.radius, 20.0);
        EXPECT_NEAR(drawn.startAngle, c.drawnStart, 1e-12) << describe(path[0]);
        EXPECT_NEAR(drawn.endAngle, c.drawnEnd, 1e-12) << describe(path[0]);
        EXPECT_EQ(drawn.clockwise, c.clockwiseFlag) << describe(path[0]);
    }
}

TEST(ItemDrawing, ArcFillIsADiscARingSectorOrAPieAndShowsNoOutline) {
    // Outside radius 10 about (50, 50): mapped with scale 1 and no offset the centre is (10, 10).
    const Coordinate center(50, 50, 0);
    const auto ccw = RotationalDirection::counterClockwise;

    const auto disc = std::make_shared<ArcFill>(0.0, 10.0, center, degrees(0), degrees(360), ccw);
    EXPECT_EQ(painted(disc, {}, unitScale),
              (std::vector<std::string>{
                  "fillPath [arc center (10.0, 10.0) radius 10.0 from 0.0 to 6.283185307179586 clockwise]",
                  "strokePath []"}));

    const auto ring = std::make_shared<ArcFill>(2.0, 10.0, center, degrees(0), degrees(360), ccw);
    const Op::Path ringPath = pathOf<Op::FillPath>(ring, {}, unitScale);
    ASSERT_EQ(ringPath.size(), 5U);
    expectPoint(std::get<Op::MoveTo>(ringPath[0]).point, 12, 10);
    const auto& inner = std::get<Op::Arc>(ringPath[1]);
    EXPECT_EQ(inner.radius, 2.0);
    EXPECT_EQ(inner.startAngle, 0.0);
    EXPECT_EQ(inner.endAngle, 2 * pi);
    EXPECT_TRUE(inner.clockwise);
    expectPoint(std::get<Op::LineTo>(ringPath[2]).point, 20, 10);
    const auto& outer = std::get<Op::Arc>(ringPath[3]);
    EXPECT_EQ(outer.radius, 10.0);
    EXPECT_EQ(outer.startAngle, 2 * pi);
    EXPECT_EQ(outer.endAngle, 0.0);
    EXPECT_FALSE(outer.clockwise) << "the way back runs the other way";
    EXPECT_TRUE(std::holds_alternative<Op::ClosePath>(ringPath[4]));

    const auto pie =
        std::make_shared<ArcFill>(0.0, 10.0, center, degrees(0), degrees(90), RotationalDirection::clockwise);
    const auto piePaint = painted(pie, {1, 1, 0}, {2, 2, 2});
    ASSERT_EQ(piePaint.size(), 2U);
    EXPECT_EQ(piePaint[0],
              "fillPath [moveTo (21.0, 21.0); lineTo (41.0, 21.0); arc center (21.0, 21.0) radius 20.0 "
              "from 0.0 to 1.5707963267948966 counterclockwise; closePath]");
    EXPECT_EQ(piePaint[1], "strokePath []");

    // A negative inside radius makes a pie slice even when the angles point the same way.
    const auto negative = std::make_shared<ArcFill>(-1.0, 10.0, center, degrees(0), degrees(360), ccw);
    const Op::Path negativePath = pathOf<Op::FillPath>(negative, {}, unitScale);
    ASSERT_EQ(negativePath.size(), 4U);
    expectPoint(std::get<Op::MoveTo>(negativePath[0]).point, 10, 10);
}

TEST(ItemDrawing, FillIsFilledAndOutlined) {
    // Negative dimensions extend the other way; the box, and so the drawing, is the same.
    for (const FillDimensions dimensions : {FillDimensions{30, 20, 1}, FillDimensions{-30, -20, 1}}) {
        const auto fill = std::make_shared<Fill>(Coordinate(5, 5, 0), dimensions, Fill::FillType::horizontal);
        EXPECT_EQ(painted(fill, {3, 4, 0}, {0.5, 2, 1}),
                  (std::vector<std::string>{"fillRect (3.0, 4.0, 15.0, 40.0)",
                                            "strokePath [addRect (3.0, 4.0, 15.0, 40.0)]"}));
    }
}

TEST(ItemDrawing, PolygonIsFilledWithoutOutlineAndSkipsUnplaceablePoints) {
    const auto polygon = std::make_shared<Polygon>(
        std::vector<Coordinate>{{10, 10, 0}, {30, 10, 0}, {NAN, 20, 0}, {30, 40, 0}, {20, INFINITY, 0}});
    EXPECT_EQ(painted(polygon, {1, 2, 0}, {2, 2, 2}),
              (std::vector<std::string>{"fillPath [moveTo (1.0, 2.0); lineTo (1.0, 2.0); lineTo (41.0, 2.0); "
                                        "lineTo (41.0, 62.0); closePath]",
                                        "strokePath []"}));

    RecordingDrawingContext context;
    makeDrawablePatternItem(std::make_shared<Polygon>(std::vector<Coordinate>{}))
        ->drawAtOffset({1, 1, 0}, unitScale, 0.0, context);
    EXPECT_TRUE(context.operations().empty()) << "an empty polygon draws nothing";
}

TEST(ItemDrawing, RotationAndZPlayNoPart) {
    const std::vector<PatternItemPtr> items = {
        std::make_shared<Line>(Coordinate(1, 2, 3), Coordinate(4, 8, -9)),
        std::make_shared<Point>(Coordinate(1, 2, 3), seconds(1)),
        std::make_shared<Arc>(Coordinate(1, 2, 3), degrees(10), degrees(-20), 5.0,
                              RotationalDirection::clockwise),
        std::make_shared<ArcFill>(1.0, 5.0, Coordinate(1, 2, 3), degrees(10), degrees(200),
                                  RotationalDirection::counterClockwise),
        std::make_shared<Fill>(Coordinate(1, 2, 3), FillDimensions{4, 5, 6}, Fill::FillType::vertical),
        std::make_shared<Polygon>(std::vector<Coordinate>{{0, 0, 1}, {5, 0, 2}, {0, 5, 3}}),
    };
    for (const auto& item : items) {
        EXPECT_EQ(painted(item, {7, 8, 0}, {2, 3, 1}), painted(item, {7, 8, 99}, {2, 3, -4}, 1.25))
            << patternItemKindName(item->kind());
    }
}

TEST(DrawablePatternItems, EveryKindButAPauseDrawsWithTheItemsOwnLimits) {
    EXPECT_EQ(makeDrawablePatternItem(std::make_shared<PatternPause>(2.0)), nullptr);
    EXPECT_EQ(makeDrawablePatternItem(nullptr), nullptr);

    const auto line = std::make_shared<Line>(Coordinate(0, 0, 0), Coordinate(100, 50, 0));
    const auto drawable = makeDrawablePatternItem(line);
    ASSERT_NE(drawable, nullptr);
    EXPECT_EQ(drawable->limits(), line->limits());
    EXPECT_EQ(drawable->frame(0.5, 50, {0, 0}), (DrawingRect{-12.5, -12.5, 75, 50}));

    const auto point = makeDrawablePatternItem(std::make_shared<Point>(Coordinate(5, 5, 0), seconds(1)));
    EXPECT_EQ(point->frame(1.1, 50, {0, 0}).width, 56.0);
    EXPECT_EQ(point->frame(1.1, 50, {0, 0}).height, 56.0);
}

} // namespace
} // namespace VeltranePatterns
