// The slider cell painted on an image: the track's place by size and tick
// marks, the knob by value, its shadow or focus ring, the disabled look, the
// circular slider, and a clip that ends with the knob.

#include <gtest/gtest.h>

#include <QPainter>

#include "VTHUDFramework/Slider/VTHUDSliderCell.hpp"
#include "VTHUDFramework/Theme/VTHUDTheme.hpp"
#include "VTHUDFramework/tests/Support/HUDTestSupport.hpp"

namespace {

using namespace VTHUDTest;
namespace Theme = VTHUD::Theme;
using Cell = VTHUDSliderCell;

Cell slider(int size, int tickMarks = 0, int position = Cell::tickMarksBelow) {
    Cell cell;
    cell.setControlSize(size);
    cell.setNumberOfTickMarks(tickMarks);
    cell.setTickMarkPosition(position);
    return cell;
}

// A regular slider without tick marks over a 100 × 24 background.
QImage paintKnob(const Cell& cell, double fraction) {
    QImage image = canvas(100, 24);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    cell.drawKnob(painter, cell.knobRect(QRectF(0, 0, 100, 24), fraction));
    return image;
}

TEST(SliderCellPaint, TrackLiesWhereSizeAndTickMarksPutIt) {
    const struct {
        int size, ticks, position;
        QRectF frame, track;
    } cases[] = {
        {Cell::regularSize, 0, 0, {0, 0, 100, 21}, {0.5, 9.0, 95, 5}},
        {Cell::regularSize, 0, 0, {2, 30, 100, 21}, {2.5, 9.0, 95, 5}}, // whatever the frame's y
        {Cell::regularSize, 5, Cell::tickMarksBelow, {0, 10, 100, 25}, {0.5, 14.5, 95, 5}},
        {Cell::regularSize, 5, Cell::tickMarksAbove, {0, 10, 100, 25}, {0.5, 25.5, 95, 5}},
        {Cell::smallSize, 0, 0, {0, 4, 100, 20}, {0.5, 10.5, 99, 5}},
        {Cell::smallSize, 3, Cell::tickMarksBelow, {0, 4, 100, 20}, {0.5, 6.5, 99, 5}},
        {Cell::smallSize, 3, 7, {0, 4, 100, 20}, {0.5, 16.5, 99, 5}}, // any position but 0 is above
        {Cell::miniSize, 4, Cell::tickMarksBelow, {0, 6, 100, 15}, {0.5, 8.5, 99, 3}},
        {Cell::miniSize, 4, Cell::tickMarksAbove, {0, 6, 100, 15}, {0.5, 15.5, 99, 3}},
        {Cell::miniSize, 0, 0, {0, 0, 100, 15}, {0.5, 2.0, 99, 3}},
        {5, 0, 0, {1, 2, 100, 15}, {1, 2, 100, 15}},
    };
    for (const auto& c : cases) {
        const Cell cell = slider(c.size, c.ticks, c.position);
        EXPECT_EQ(cell.trackRect(c.frame), c.track)
            << "size " << c.size << " ticks " << c.ticks << " position " << c.position;
    }
}

TEST(SliderCellPaint, TrackIsFilledAndStroked) {
    ensureApplication();
    for (bool enabled : {true, false}) {
        Cell cell = slider(Cell::regularSize);
        cell.setEnabled(enabled);
        QImage image = canvas(100, 24);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        cell.drawBarInside(painter, QRectF(0, 0, 100, 24), true);
        painter.end();
        const QColor fill = over(enabled ? Theme::sliderTrackColor() : Theme::disabledSliderTrackColor());
        EXPECT_LE(distance(image.pixelColor(50, 11), fill), 2) << describe(image.pixelColor(50, 11));
        // Rows 8 and 13 hold half of the outline each; row 15 nothing.
        EXPECT_NE(image.pixelColor(50, 8), background());
        EXPECT_EQ(image.pixelColor(50, 15), background());
    }
}

TEST(SliderCellPaint, KnobFollowsTheValue) {
    const Cell cell = slider(Cell::regularSize);
    const QRectF frame(0, 0, 100, 24);
    const QRectF track = cell.trackRect(frame);
    EXPECT_EQ(cell.knobRect(frame, 0.0), QRectF(track.left(), track.center().y() - 10.5, 21, 21));
    EXPECT_EQ(cell.knobRect(frame, 1.0).right(), track.right());
    EXPECT_DOUBLE_EQ(cell.knobRect(frame, 0.5).center().x(), track.center().x());
    EXPECT_DOUBLE_EQ(cell.fractionForKnobAt(frame, cell.knobRect(frame, 0.25).left()), 0.25);

    ensureApplication();
    // The knob's dark inside sits at the value.
    for (double fraction : {0.1, 0.9}) {
        const QImage image = paintKnob(cell, fraction);
        const QPointF middle = cell.knobRect(frame, fraction).center();
        const QPointF mirror(100 - middle.x(), middle.y());
        EXPECT_LT(luminance(image.pixelColor(middle.toPoint())), 60);
        EXPECT_EQ(image.pixelColor(mirror.toPoint()), background());
    }
}

TEST(SliderCellPaint, HighlightedKnobGetsTheFocusRingOrTheDropShadow) {
    ensureApplication();
    // The knob at 0: its oval spans x 3.5 to 18.5 and y 4.0 to 19.0.
    const QPoint beside(2, 11);
    const QPoint below(11, 20);
    const int ground = luminance(background());
    for (int ring : {Cell::defaultFocusRing, Cell::exteriorFocusRing}) {
        Cell cell = slider(Cell::regularSize);
        cell.setFocusRingType(ring);
        cell.setHighlighted(true);
        EXPECT_GT(luminance(paintKnob(cell, 0).pixelColor(beside)), ground + 20) << ring;
    }
    Cell plain = slider(Cell::regularSize);
    plain.setFocusRingType(Cell::noFocusRing);
    plain.setHighlighted(true);
    const QImage shadowed = paintKnob(plain, 0);
    EXPECT_LE(luminance(shadowed.pixelColor(beside)), ground);
    EXPECT_LT(luminance(shadowed.pixelColor(below)), ground - 20);
    // Not highlighted: the drop shadow whatever the ring type.
    Cell idle = slider(Cell::regularSize);
    EXPECT_LT(luminance(paintKnob(idle, 0).pixelColor(below)), ground - 20);
}

TEST(SliderCellPaint, DisabledKnobHasNoShadowAndAFaintRing) {
    ensureApplication();
    Cell cell = slider(Cell::regularSize);
    cell.setEnabled(false);
    cell.setHighlighted(true);
    const QImage image = paintKnob(cell, 0);
    EXPECT_EQ(image.pixelColor(11, 20), background());
    EXPECT_EQ(image.pixelColor(2, 11), background());
    // The ring's top, one pixel above the inner oval.
    EXPECT_LE(distance(image.pixelColor(11, 4), over(Theme::disabledStrokeColor())), 3)
        << describe(image.pixelColor(11, 4));
}

TEST(SliderCellPaint, CircularSliderDrawsItsTrackButNoKnob) {
    ensureApplication();
    Cell cell = slider(Cell::regularSize);
    cell.setSliderType(Cell::circularSlider);
    EXPECT_EQ(paintKnob(cell, 0.5), canvas(100, 24));
    QImage image = canvas(100, 24);
    QPainter painter(&image);
    cell.drawWithBounds(painter, QRectF(0, 0, 100, 24), 0.5);
    painter.end();
    EXPECT_NE(image.pixelColor(50, 11), background());
    EXPECT_EQ(image.pixelColor(50, 5), background());
}

TEST(SliderCellPaint, PaintingAfterTheKnobIsNotClippedToIt) {
    ensureApplication();
    const Cell cell = slider(Cell::regularSize);
    QImage image = canvas(100, 24);
    QPainter painter(&image);
    cell.drawKnob(painter, cell.knobRect(QRectF(0, 0, 100, 24), 0));
    painter.fillRect(QRect(0, 0, 100, 24), Qt::red);
    painter.end();
    EXPECT_EQ(image.pixelColor(90, 20), QColor(Qt::red));
}

TEST(SliderCellPaint, PreferredHeightHoldsKnobAndTickMarks) {
    for (int size : {Cell::regularSize, Cell::smallSize, Cell::miniSize}) {
        for (int position : {Cell::tickMarksBelow, Cell::tickMarksAbove}) {
            for (int ticks : {0, 5}) {
                const Cell cell = slider(size, ticks, position);
                const double height = cell.preferredHeight();
                const QRectF bounds(0, 0, 100, height);
                const QRectF frame = cell.drawingFrame(bounds);
                const QRectF knob = cell.knobRect(frame, 0);
                EXPECT_LT(height, cell.knobSide() + 12);
                EXPECT_TRUE(bounds.contains(knob)) << size << " " << position << " " << ticks;
                EXPECT_TRUE(bounds.contains(cell.trackRect(frame)));
            }
        }
    }
}

} // namespace
