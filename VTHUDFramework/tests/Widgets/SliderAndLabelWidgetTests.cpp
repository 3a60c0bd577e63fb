// The slider and the label as widgets: dragging, clicking the track and the
// arrow keys move the slider and emit; a disabled label's text is faint.

#include <algorithm>

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "VTHUDFramework/Label/VTHUDLabel.hpp"
#include "VTHUDFramework/Slider/VTHUDSlider.hpp"
#include "VTHUDFramework/tests/Support/HUDTestSupport.hpp"

namespace {

using namespace VTHUDTest;

class SliderWidget : public WithApplication {
  protected:
    void SetUp() override {
        window.resize(260, 60);
        slider = new VTHUDSlider(&window);
        slider->setGeometry(10, 10, 200, slider->sizeHint().height());
        slider->setRange(0, 100);
        slider->setValue(20);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QPoint knobMiddle() const { return slider->knobRect().center().toPoint(); }

    QWidget window;
    VTHUDSlider* slider = nullptr;
};

TEST_F(SliderWidget, DraggingTheKnobMovesTheValueAndHighlightsIt) {
    QSignalSpy changed(slider, &QAbstractSlider::valueChanged);
    QSignalSpy moved(slider, &QAbstractSlider::sliderMoved);
    const QPoint start = knobMiddle();
    QTest::mousePress(slider, Qt::LeftButton, {}, start);
    EXPECT_TRUE(slider->isSliderDown());
    EXPECT_EQ(slider->value(), 20); // grabbing the knob does not move it
    QTest::mouseMove(slider, start + QPoint(60, 0));
    EXPECT_GT(slider->value(), 50);
    EXPECT_TRUE(slider->isSliderDown());
    const int dragged = luminance(slider->grab().toImage().pixelColor(knobMiddle()));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(300, 0));
    EXPECT_EQ(slider->value(), 100);
    EXPECT_FALSE(slider->isSliderDown());
    // The knob is lit while dragged.
    EXPECT_GT(dragged, luminance(slider->grab().toImage().pixelColor(knobMiddle())) + 30);
    EXPECT_GE(changed.count(), 2);
    EXPECT_GE(moved.count(), 1);
    EXPECT_EQ(changed.last().at(0).toInt(), 100);
}

TEST_F(SliderWidget, ClickingTheTrackBringsTheKnobThere) {
    QSignalSpy changed(slider, &QAbstractSlider::valueChanged);
    const QRectF knob = slider->knobRect();
    const QPoint target(slider->width() * 3 / 4, knobMiddle().y());
    QTest::mouseClick(slider, Qt::LeftButton, {}, target);
    EXPECT_NEAR(slider->knobRect().center().x(), target.x(), 2.0);
    EXPECT_GT(slider->knobRect().left(), knob.left());
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(SliderWidget, ArrowKeysStepTheValue) {
    QSignalSpy changed(slider, &QAbstractSlider::valueChanged);
    slider->setSingleStep(5);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->value(), 25);
    QTest::keyClick(slider, Qt::Key_Left);
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_EQ(slider->value(), 15);
    EXPECT_EQ(changed.count(), 3);
}

TEST_F(SliderWidget, DisabledSliderIgnoresInput) {
    slider->setEnabled(false);
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 5, knobMiddle().y()));
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->value(), 20);
}

// The brightest red, green or blue of the label drawn over black.
int brightest(VTHUDLabel& label) {
    QImage image(label.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    int most = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            most = std::max({most, c.red(), c.green(), c.blue()});
        }
    }
    return most;
}

TEST(LabelWidget, DisabledLabelDrawsFaintWhite) {
    ensureApplication();
    VTHUDLabel label("HUD LABEL ||| WWW");
    QFont bold = label.font();
    bold.setBold(true);
    bold.setPixelSize(18);
    label.setFont(bold);
    label.resize(label.sizeHint());
    EXPECT_EQ(label.frameShape(), QFrame::NoFrame);
    EXPECT_EQ(label.textInteractionFlags(), Qt::NoTextInteraction);
    EXPECT_GE(brightest(label), 250);
    label.setEnabled(false);
    EXPECT_NEAR(brightest(label), 51, 2);
    label.setEnabled(true);
    EXPECT_GE(brightest(label), 250);
}

} // namespace
