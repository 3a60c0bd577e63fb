// Every control in every state and size on one panel, grabbed to
// screenshots/hud-controls.png.

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QGridLayout>
#include <QPixmap>
#include <QWidget>

#include "VTHUDFramework/Button/VTHUDButton.hpp"
#include "VTHUDFramework/Label/VTHUDLabel.hpp"
#include "VTHUDFramework/Slider/VTHUDSlider.hpp"
#include "VTHUDFramework/tests/Support/HUDTestSupport.hpp"

namespace {

using VTHUDTest::ensureApplication;

struct ButtonKind {
    const char* name;
    int bezelStyle;
    int buttonType;
    int imagePosition;
};

const ButtonKind buttonKinds[] = {
    {"Rounded", VTHUDButtonCell::roundedBezel, 0, VTHUDButtonCell::noImage},
    {"Small square", VTHUDButtonCell::smallSquareBezel, 0, VTHUDButtonCell::noImage},
    {"Textured", VTHUDButtonCell::texturedRoundedBezel, 0, VTHUDButtonCell::noImage},
    {"Round rect", VTHUDButtonCell::roundRectBezel, 0, VTHUDButtonCell::noImage},
    {"Recessed", VTHUDButtonCell::recessedBezel, 0, VTHUDButtonCell::noImage},
    {"Check", 2, VTHUDButtonCell::switchButton, VTHUDButtonCell::imageLeft},
    {"Radio", 2, VTHUDButtonCell::radioButton, VTHUDButtonCell::imageLeft},
};

enum class Look { normal, pressed, on, mixed, hover, disabled };
const Look looks[] = {Look::normal, Look::pressed, Look::on, Look::mixed, Look::hover, Look::disabled};

VTHUDButton* makeButton(const ButtonKind& kind, int size, Look look, QWidget* parent) {
    auto* button = new VTHUDButton(parent);
    button->setBezelStyle(kind.bezelStyle);
    button->setButtonType(kind.buttonType);
    button->setImagePosition(kind.imagePosition);
    button->setControlSize(size);
    button->setTitle(kind.name);
    switch (look) {
    case Look::pressed:
        button->setDown(true);
        break;
    case Look::on:
        button->setState(VTHUDButtonCell::onState);
        break;
    case Look::mixed:
        button->setState(VTHUDButtonCell::mixedState);
        break;
    case Look::disabled:
        button->setEnabled(false);
        break;
    default:
        break;
    }
    return button;
}

struct Gallery {
    QWidget panel;
    VTHUDButton* onCheck = nullptr;
    VTHUDButton* hoveredRecessed = nullptr;
};

void buildGallery(Gallery& gallery) {
    QWidget& panel = gallery.panel;
    panel.setAutoFillBackground(true);
    QPalette colors = panel.palette();
    colors.setColor(QPalette::Window, QColor(70, 72, 76));
    panel.setPalette(colors);
    auto* grid = new QGridLayout(&panel);
    int row = 0;
    for (const ButtonKind& kind : buttonKinds) {
        for (int size = 0; size < 3; ++size) {
            int column = 0;
            for (Look look : looks) {
                // Each button in its own cell so that radio buttons do not
                // turn each other off.
                auto* holder = new QWidget(&panel);
                auto* cellLayout = new QGridLayout(holder);
                cellLayout->setContentsMargins(0, 0, 0, 0);
                VTHUDButton* button = makeButton(kind, size, look, holder);
                cellLayout->addWidget(button);
                grid->addWidget(holder, row, column++);
                if (look == Look::hover) {
                    gallery.hoveredRecessed = kind.bezelStyle == VTHUDButtonCell::recessedBezel && size == 0
                                                  ? button
                                                  : gallery.hoveredRecessed;
                    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
                    QApplication::sendEvent(button, &enter);
                }
                if (look == Look::on && kind.buttonType == VTHUDButtonCell::switchButton && size == 0) {
                    gallery.onCheck = button;
                }
            }
            ++row;
        }
    }
    const int sliderColumnStart = 0;
    const int ticks[][2] = {{0, 0}, {5, VTHUDSliderCell::tickMarksBelow}, {5, VTHUDSliderCell::tickMarksAbove}};
    for (int size = 0; size < 3; ++size) {
        for (const auto& tick : ticks) {
            int column = sliderColumnStart;
            for (int variant = 0; variant < 4; ++variant) {
                auto* slider = new VTHUDSlider(&panel);
                slider->setControlSize(size);
                slider->setNumberOfTickMarks(tick[0]);
                slider->setTickMarkPosition(tick[1]);
                slider->setRange(0, 100);
                slider->setValue(20 + 20 * variant);
                slider->setSliderDown(variant == 1);
                slider->setFocusRingType(variant == 1 ? VTHUDSliderCell::defaultFocusRing : VTHUDSliderCell::noFocusRing);
                slider->setEnabled(variant != 2);
                slider->setSliderType(variant == 3 ? VTHUDSliderCell::circularSlider : VTHUDSliderCell::linearSlider);
                grid->addWidget(slider, row, column++);
            }
            ++row;
        }
    }
    auto* label = new VTHUDLabel("Label", &panel);
    auto* disabledLabel = new VTHUDLabel("Disabled label", &panel);
    disabledLabel->setEnabled(false);
    grid->addWidget(label, row, 0);
    grid->addWidget(disabledLabel, row, 1);
    panel.resize(panel.sizeHint());
}

TEST(HUDGallery, GrabsEveryControlAndStateToAPicture) {
    ensureApplication();
    Gallery gallery;
    buildGallery(gallery);
    gallery.panel.show();
    const QImage shot = gallery.panel.grab().toImage();
    const auto file = VTHUDTest::screenshotDirectory() / "hud-controls.png";
    ASSERT_TRUE(shot.save(QString::fromStdString(file.string()), "PNG"));

    // The on check box shows its mark: pixels in the stroke colour inside its box.
    ASSERT_NE(gallery.onCheck, nullptr);
    const QPoint origin = gallery.onCheck->mapTo(&gallery.panel, QPoint(0, 0));
    int markPixels = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            markPixels += VTHUDTest::distance(shot.pixelColor(origin + QPoint(x, y)), QColor(191, 194, 201)) < 12;
        }
    }
    EXPECT_GT(markPixels, 6);
    // The hovered recessed button is lit in its middle.
    ASSERT_NE(gallery.hoveredRecessed, nullptr);
    const QPoint middle = gallery.hoveredRecessed->mapTo(&gallery.panel, QPoint(8, 8));
    EXPECT_GT(VTHUDTest::luminance(shot.pixelColor(middle)), 150);
}

} // namespace
