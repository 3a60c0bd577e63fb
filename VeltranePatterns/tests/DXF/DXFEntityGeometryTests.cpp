#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/DXFEntity.hpp"

using namespace VeltranePatterns;
using Zovudidova::AngleUnit;
using Zovudidova::degrees;

namespace {

void expectNear(const Coordinate& actual, const Coordinate& expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

Coordinate pointOnCircle(const Coordinate& center, double radius, const Angle& angle) {
    return {center.x + radius * Zovudidova::cos(angle), center.y + radius * Zovudidova::sin(angle), center.z};
}

} // namespace

TEST(DXFEntityGeometry, LimitsPerCase) {
    struct Case {
        std::string name;
        DXFEntity entity;
        Limits expected;
    };
    const Case cases[] = {
        {"arc counts its end points", DXFEntity::Arc{"0", {1, 1, 0}, 2.0, degrees(0), degrees(90)},
         {1, 3, 1, 3, 0, 0}},
        {"shallow arc counts the top it passes", DXFEntity::Arc{"0", {0, 0, 0}, 1000.0, degrees(89), degrees(91)},
         {-17.452406437283, 17.452406437283, 999.847695156391, 1000, 0, 0}},
        {"arc across 0 degrees", DXFEntity::Arc{"0", {0, 0, 0}, 1.0, degrees(350), degrees(10)},
         {0.984807753012, 1, -0.173648177667, 0.173648177667, 0, 0}},
        {"arc with equal angles is the whole circle", DXFEntity::Arc{"0", {0, 0, 0}, 1.0, degrees(30), degrees(30)},
         {-1, 1, -1, 1, 0, 0}},
        {"circle", DXFEntity::Circle{"0", {0, 0, 4}, 1.5}, {-1.5, 1.5, -1.5, 1.5, 4, 4}},
        {"ellipse is its centre",
         DXFEntity::Ellipse{"0", {5, 6, 7}, {10, 0, 0}, 0.5, degrees(0), degrees(360)},
         {5, 5, 6, 6, 7, 7}},
        {"line", DXFEntity::Line{"0", {3, -1, 2}, {-2, 4, 0}}, {-2, 3, -1, 4, 0, 2}},
        {"point", DXFEntity::Point{"0", {1, 2, 3}}, {1, 1, 2, 2, 3, 3}},
        {"light-weight polyline counts its bulge arcs",
         DXFEntity::LWPolyLine{"0", {{{0, 0, 0}, 1.0}, {{2, 0, 0}, std::nullopt}, {{2, 1, 0}, 1.0}}, {}},
         {0, 2, -1, 1, 0, 0}},
        // A round pad: two vertices with bulge 1 closed into a circle of radius 5.
        {"closed polyline of two half circles",
         DXFEntity::LWPolyLine{"0", {{{0, 0, 0}, 1.0}, {{10, 0, 0}, 1.0}}, DXFPolylineOptions::closedPolyline},
         {0, 10, -5, 5, 0, 0}},
        {"negative bulge turns the other way", DXFEntity::LWPolyLine{"0", {{{0, 0, 0}, -1.0}, {{2, 0, 0}, {}}}, {}},
         {0, 2, 0, 1, 0, 0}},
        {"light-weight polyline without vertices", DXFEntity::LWPolyLine{"0", {}, {}}, {}},
        {"polyline without points", DXFEntity::PolyLine{"0", {}, {}}, {}},
        {"solid", DXFEntity::Solid{"0", {{0, 0, 0}, {4, 0, 0}, {4, -3, 1}}}, {0, 4, -3, 0, 0, 1}},
        {"multiline counts its vertices alone",
         DXFEntity::Multiline{"0", {100, 100, 100}, {{0, 0, 0}, {1, 1, 0}}, {{-50, -50, 0}, {50, 50, 0}}},
         {0, 1, 0, 1, 0, 0}},
        {"spline counts its fit points alone",
         DXFEntity::Spline{"0", {{1, 1, 0}, {2, 0, 0}}, {{-9, -9, 0}}, {}, {}}, {1, 2, 0, 1, 0, 0}},
        {"spline with control points only", DXFEntity::Spline{"0", {}, {{1, 1, 0}, {2, 2, 0}}, {0, 1}, {}}, {}},
    };
    for (const Case& c : cases) {
        const Limits box = c.entity.limits();
        const double actual[] = {box.minX, box.maxX, box.minY, box.maxY, box.minZ, box.maxZ};
        const double expected[] = {c.expected.minX, c.expected.maxX, c.expected.minY,
                                   c.expected.maxY, c.expected.minZ, c.expected.maxZ};
        for (int i = 0; i < 6; ++i) {
            EXPECT_NEAR(actual[i], expected[i], 1e-9) << c.name << " bound " << i;
        }
    }
}

TEST(DXFEntityGeometry, OffsetScaleAndRotationMapPositions) {
    const DXFEntity point = DXFEntity::Point{"P", {1, 0, 3}};
    const auto moved = point.correctForOffset({10, 20, 0}, {1, 1, 1}, degrees(90));
    expectNear(moved.getIf<DXFEntity::Point>()->coordinate, {10, 21, 3});
    EXPECT_EQ(moved.layerName(), "P");

    const DXFEntity origin = DXFEntity::Point{"P", {0, 0, 0}};
    expectNear(origin.correctForOffset({10, 20, 0}, {1, 1, 1}, degrees(90)).getIf<DXFEntity::Point>()->coordinate,
               {10, 20, 0});

    const DXFEntity circle = DXFEntity::Circle{"C", {1, 1, 0}, 1.0};
    const auto scaled = circle.correctForOffset({}, {2, 3, 1}, degrees(0));
    EXPECT_EQ(scaled.getIf<DXFEntity::Circle>()->radius, 2.0);
    expectNear(scaled.getIf<DXFEntity::Circle>()->center, {2, 3, 0});

    const DXFEntity arc = DXFEntity::Arc{"A", {0, 0, 0}, 1.0, degrees(10), degrees(50)};
    const auto turned = *arc.correctForOffset({}, {1, 1, 1}, degrees(30)).getIf<DXFEntity::Arc>();
    EXPECT_EQ(turned.startAngle.value(AngleUnit::degrees), 40.0);
    EXPECT_EQ(turned.endAngle.value(AngleUnit::degrees), 80.0);
    EXPECT_EQ(turned.startAngle.unit(), AngleUnit::degrees);

    const DXFEntity ellipse = DXFEntity::Ellipse{"E", {1, 0, 0}, {2, 0, 0}, 0.5, degrees(5), degrees(60)};
    const auto placedEllipse =
        *ellipse.correctForOffset({0, 5, 0}, {2, 2, 1}, degrees(90)).getIf<DXFEntity::Ellipse>();
    expectNear(placedEllipse.center, {0, 7, 0});
    expectNear(placedEllipse.majorAxisVector, {0, 4, 0}); // scaled and turned, not moved
    EXPECT_EQ(placedEllipse.startAngle.value(AngleUnit::degrees), 5.0);
    EXPECT_EQ(placedEllipse.endAngle.value(AngleUnit::degrees), 60.0);

    const DXFEntity spline = DXFEntity::Spline{"S", {{1, 0, 0}, {2, 0, 0}}, {{3, 0, 0}}, {0.0, 1.0}, DXFSplineOptions(8)};
    const auto placedSpline = *spline.correctForOffset({1, 1, 1}, {1, 1, 1}, degrees(0)).getIf<DXFEntity::Spline>();
    ASSERT_EQ(placedSpline.fitPoints.size(), 2u);
    expectNear(placedSpline.fitPoints[1], {3, 1, 1});
    expectNear(placedSpline.controlPoints[0], {4, 1, 1});
    EXPECT_EQ(placedSpline.knotValues, (std::vector<double>{0.0, 1.0}));
    EXPECT_EQ(placedSpline.options.rawValue(), 8);
}

TEST(DXFEntityGeometry, BulgesKeepPresenceAndFollowTheTurningSense) {
    const DXFEntity polyline = DXFEntity::LWPolyLine{
        "L", {{{0, 0, 0}, 0.5}, {{1, 0, 0}, std::nullopt}, {{2, 0, 0}, 0.0}}, DXFPolylineOptions::closedPolyline};
    const auto bulgesUnder = [&](ScaleFactors scale) {
        const auto placed = *polyline.correctForOffset({}, scale, degrees(45)).getIf<DXFEntity::LWPolyLine>();
        EXPECT_EQ(placed.options, DXFPolylineOptions::closedPolyline);
        std::vector<std::optional<double>> bulges;
        for (const auto& [point, bulge] : placed.pointsAndBulgeValues) {
            bulges.push_back(bulge);
        }
        return bulges;
    };
    using Bulges = std::vector<std::optional<double>>;
    EXPECT_EQ(bulgesUnder({3, 2, 1}), (Bulges{0.5, std::nullopt, 0.0}));
    EXPECT_EQ(bulgesUnder({-1, -1, 1}), (Bulges{0.5, std::nullopt, 0.0})); // a half turn, no mirror
    EXPECT_EQ(bulgesUnder({-1, 1, 1}), (Bulges{-0.5, std::nullopt, -0.0}));
    EXPECT_EQ(bulgesUnder({1, -2, 1}), (Bulges{-0.5, std::nullopt, -0.0}));
}

// A mirrored block reference must put every arc where the mirror image of the
// drawn arc lies: same end points, same middle, positive radius.
TEST(DXFEntityGeometry, MirroredArcsLandOnTheImageOfTheDrawnArc) {
    const DXFEntity::Arc drawn{"A", {2, 1, 0.5}, 1.5, degrees(20), degrees(110)};
    const Coordinate offset{10, -4, 1};
    const Angle rotation = degrees(30);
    const ScaleFactors placements[] = {{-1, 1, 1}, {1, -1, 1}, {-1, -1, 1}, {-2, 2, 1}, {2, -2, 2}, {2, 2, 1}};
    for (const ScaleFactors& scale : placements) {
        SCOPED_TRACE("scale " + std::to_string(scale.x) + ", " + std::to_string(scale.y));
        const auto image = [&](const Angle& a) {
            return pointOnCircle(drawn.center, drawn.radius, a).correctForOffset(offset, scale, rotation);
        };
        const auto placed = *DXFEntity(drawn).correctForOffset(offset, scale, rotation).getIf<DXFEntity::Arc>();
        EXPECT_DOUBLE_EQ(placed.radius, drawn.radius * std::fabs(scale.x));
        const bool mirrored = (scale.x < 0) != (scale.y < 0);
        expectNear(pointOnCircle(placed.center, placed.radius, placed.startAngle),
                   image(mirrored ? drawn.endAngle : drawn.startAngle));
        expectNear(pointOnCircle(placed.center, placed.radius, placed.endAngle),
                   image(mirrored ? drawn.startAngle : drawn.endAngle));
        // Counter-clockwise from start to end passes through the image of the middle.
        const Angle middle = placed.startAngle + (placed.endAngle - placed.startAngle) / 2.0;
        expectNear(pointOnCircle(placed.center, placed.radius, middle), image(degrees(65)));
        EXPECT_EQ(placed.startAngle.unit(), AngleUnit::degrees);
    }

    const DXFEntity circle = DXFEntity::Circle{"C", {1, 1, 0}, 1.0};
    EXPECT_EQ(circle.correctForOffset({}, {-1, 1, 1}, degrees(0)).getIf<DXFEntity::Circle>()->radius, 1.0);
    EXPECT_EQ(circle.limits(), (Limits{0, 2, 0, 2, 0, 0}));
}
