#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "VeltranePatterns/Source/Drawing/PainterDrawingContext.hpp"
#include "VeltranePatterns/tests/Drawing/QtTestApplication.hpp"

namespace VeltranePatterns {
namespace {

constexpr double pi = std::numbers::pi;

TEST(ArcSweep, FollowsTheFlagAndTreatsWholeTurnsAsFullCircles) {
    struct Case {
        double start;
        double end;
        bool clockwise;
        double sweep;
    };
    const Case cases[] = {
        {0.0, pi / 2, false, pi / 2},
        {0.0, pi / 2, true, -3 * pi / 2},
        {3 * pi / 2, 0.0, false, pi / 2},    // 270 degrees up to 0: a quarter
        {3 * pi / 2, 0.0, true, -3 * pi / 2},
        {0.0, 2 * pi, false, 2 * pi},        // whole turn apart: full circle either way
        {0.0, 2 * pi, true, -2 * pi},
        {0.0, 4 * pi, false, 2 * pi},        // never more than one turn
        {1.0, 1.0, false, 0.0},              // equal angles: no sweep
        {1.0, 1.0, true, 0.0},
        {-pi / 2, pi / 2, false, pi},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(arcSweep(c.start, c.end, c.clockwise), c.sweep, 1e-12)
            << c.start << " to " << c.end << (c.clockwise ? " clockwise" : " counterclockwise");
    }
}

class PainterDrawingContextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureQtApplication(); }

    PainterDrawingContextTest() : image_(40, 40, QImage::Format_ARGB32_Premultiplied) {
        image_.fill(Qt::white);
    }

    QColor pixel(int x, int y) const { return image_.pixelColor(x, y); }

    QImage image_;
};

TEST_F(PainterDrawingContextTest, ArcAnglesTurnTowardPositiveY) {
    QPainter painter(&image_);
    PainterDrawingContext context(painter);

    // Increasing angles from 0 to 90 degrees run from +x to +y.
    context.addArc({10, 10}, 5, 0, pi / 2, false);
    const QPainterPath& quarter = context.currentPath();
    EXPECT_NEAR(quarter.pointAtPercent(0).x(), 15, 1e-6);
    EXPECT_NEAR(quarter.pointAtPercent(0).y(), 10, 1e-6);
    EXPECT_NEAR(quarter.pointAtPercent(0.5).x(), 10 + 5 * std::cos(pi / 4), 1e-2);
    EXPECT_NEAR(quarter.pointAtPercent(0.5).y(), 10 + 5 * std::sin(pi / 4), 1e-2);
    EXPECT_NEAR(quarter.currentPosition().x(), 10, 1e-6);
    EXPECT_NEAR(quarter.currentPosition().y(), 15, 1e-6);
    context.strokePath();

    // The clockwise flag goes the long way round through -y.
    context.addArc({10, 10}, 5, 0, pi / 2, true);
    const QPainterPath& longWay = context.currentPath();
    EXPECT_NEAR(longWay.pointAtPercent(0.5).x(), 10 + 5 * std::cos(-3 * pi / 4), 1e-2);
    EXPECT_NEAR(longWay.pointAtPercent(0.5).y(), 10 + 5 * std::sin(-3 * pi / 4), 1e-2);
    EXPECT_NEAR(longWay.currentPosition().x(), 10, 1e-6);
    EXPECT_NEAR(longWay.currentPosition().y(), 15, 1e-6);
}

TEST_F(PainterDrawingContextTest, ArcIsJoinedToTheCurrentPointByALine) {
    QPainter painter(&image_);
    PainterDrawingContext context(painter);
    context.moveTo({10, 10});
    context.addArc({10, 10}, 5, 0, pi, false);
    const QPainterPath& path = context.currentPath();
    EXPECT_EQ(path.elementAt(0).type, QPainterPath::MoveToElement);
    EXPECT_EQ(QPointF(path.elementAt(0)), QPointF(10, 10));
    EXPECT_EQ(path.elementAt(1).type, QPainterPath::LineToElement);
    EXPECT_NEAR(path.elementAt(1).x, 15, 1e-6);
    EXPECT_NEAR(path.currentPosition().x(), 5, 1e-6);
}

TEST_F(PainterDrawingContextTest, FillAndStrokeConsumeThePathButFillRectDoesNot) {
    QPainter painter(&image_);
    PainterDrawingContext context(painter);
    context.setLineWidth(4);
    context.setStrokeColor({1, 0, 0, 1});
    context.setFillColor({0, 0, 1, 1});

    context.moveTo({5, 5});
    context.addLineTo({20, 5});
    context.addLineTo({20, 20});
    context.closePath();
    context.fillPath();
    EXPECT_EQ(context.currentPath().elementCount(), 0);
    context.strokePath(); // nothing left to stroke

    context.addRect({25, 25, 10, 10});
    context.fillRect({0, 30, 4, 4});
    EXPECT_GT(context.currentPath().elementCount(), 0);
    context.strokePath();
    painter.end();

    EXPECT_EQ(pixel(18, 8), QColor(Qt::blue)) << "inside the filled triangle";
    EXPECT_EQ(pixel(12, 4), QColor(Qt::white)) << "where the triangle's outline would be stroked";
    EXPECT_EQ(pixel(2, 32), QColor(Qt::blue)) << "the filled rectangle";
    EXPECT_EQ(pixel(25, 30), QColor(Qt::red)) << "the stroked rectangle's edge";
    EXPECT_EQ(pixel(30, 30), QColor(Qt::white)) << "inside the stroked rectangle";
}

TEST_F(PainterDrawingContextTest, FillUsesTheNonZeroWindingRule) {
    QPainter painter(&image_);
    PainterDrawingContext context(painter);
    // Two circles in the same sense: the inner one stays filled.
    context.addArc({20, 20}, 15, 0, 2 * pi, false);
    context.closePath();
    context.addArc({20, 20}, 5, 0, 2 * pi, false);
    context.closePath();
    context.fillPath();
    painter.end();
    EXPECT_EQ(pixel(20, 20), QColor(Qt::black));

    // A ring: the inner circle runs the other way and leaves a hole.
    image_.fill(Qt::white);
    painter.begin(&image_);
    PainterDrawingContext ring(painter);
    ring.addArc({20, 20}, 15, 0, 2 * pi, false);
    ring.closePath();
    ring.addArc({20, 20}, 5, 0, 2 * pi, true);
    ring.closePath();
    ring.fillPath();
    painter.end();
    EXPECT_EQ(pixel(20, 20), QColor(Qt::white));
    EXPECT_EQ(pixel(30, 20), QColor(Qt::black));
}

TEST_F(PainterDrawingContextTest, ShadowPaintsABlurredHaloUnderThePainting) {
    QPainter painter(&image_);
    PainterDrawingContext context(painter);
    context.setShadow({{0, 0}, 5.0, {1, 0, 0, 1}});
    context.fillRect({15, 15, 10, 10});
    painter.end();

    EXPECT_EQ(pixel(20, 20), QColor(Qt::black));
    const QColor halo = pixel(13, 20);
    EXPECT_EQ(halo.red(), 255);
    EXPECT_LT(halo.green(), 250) << "tinted red next to the painting";
    EXPECT_EQ(pixel(2, 2), QColor(Qt::white)) << "beyond the blur's reach";
}

TEST_F(PainterDrawingContextTest, AHugeShadowBlurIsBounded) {
    // Unbounded, a blur this wide would need an image of billions of pixels.
    QPainter painter(&image_);
    PainterDrawingContext context(painter);
    context.setShadow({{0, 0}, 1e6, {1, 0, 0, 1}});
    context.fillRect({15, 15, 10, 10});
    painter.end();

    EXPECT_EQ(pixel(20, 20), QColor(Qt::black));
    const QColor halo = pixel(13, 20);
    EXPECT_EQ(halo.red(), 255);
    EXPECT_LT(halo.green(), 255) << "still tinted next to the painting";
}

TEST_F(PainterDrawingContextTest, NonFiniteCoordinatesAreIgnored) {
    QPainter painter(&image_);
    PainterDrawingContext context(painter);
    context.moveTo({NAN, 0});
    context.addLineTo({5, 5});
    context.addLineTo({INFINITY, 5});
    context.addLineTo({10, 5});
    context.addArc({0, 0}, NAN, 0, 1, false);
    const QPainterPath& path = context.currentPath();
    ASSERT_EQ(path.elementCount(), 2);
    EXPECT_EQ(QPointF(path.elementAt(0)), QPointF(5, 5));
    EXPECT_EQ(QPointF(path.elementAt(1)), QPointF(10, 5));
}

} // namespace
} // namespace VeltranePatterns
