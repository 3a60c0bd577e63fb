// The button widget driven through QTest: clicks, keys, radio groups, hover,
// and a disabled button.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "VTHUDFramework/Button/VTHUDButton.hpp"
#include "VTHUDFramework/Theme/VTHUDTheme.hpp"
#include "VTHUDFramework/tests/Support/HUDTestSupport.hpp"

namespace {

using namespace VTHUDTest;
using Cell = VTHUDButtonCell;

class ButtonWidget : public WithApplication {
  protected:
    void SetUp() override { window.resize(300, 200); }

    VTHUDButton* addButton(int type, const QString& title, int y) {
        auto* button = new VTHUDButton(&window);
        button->setButtonType(type);
        button->setTitle(title);
        button->setGeometry(10, y, 150, 22);
        return button;
    }

    void show() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
};

TEST_F(ButtonWidget, ClickTogglesACheckBoxAndEmits) {
    VTHUDButton* check = addButton(Cell::switchButton, "Check", 10);
    show();
    QSignalSpy clicked(check, &QAbstractButton::clicked);
    QSignalSpy toggled(check, &QAbstractButton::toggled);
    QSignalSpy state(check, &VTHUDButton::stateChanged);

    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(check->state(), Cell::onState);
    EXPECT_TRUE(check->isChecked());
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(check->state(), Cell::offState);
    ASSERT_EQ(clicked.count(), 2);
    ASSERT_EQ(toggled.count(), 2);
    EXPECT_TRUE(toggled.at(0).at(0).toBool());
    EXPECT_FALSE(toggled.at(1).at(0).toBool());
    ASSERT_EQ(state.count(), 2);
    EXPECT_EQ(state.at(0).at(0).toInt(), Cell::onState);

    // Mixed turns on; Space clicks too.
    check->setState(Cell::mixedState);
    EXPECT_FALSE(check->isChecked());
    check->setFocus();
    QTest::keyClick(check, Qt::Key_Space);
    EXPECT_EQ(check->state(), Cell::onState);
}

TEST_F(ButtonWidget, PushButtonKeepsItsStateAndShowsThePushedFillWhileHeld) {
    VTHUDButton* push = addButton(0, QString(), 10);
    push->setBezelStyle(Cell::roundedBezel);
    push->setImagePosition(Cell::noImage);
    push->resize(push->sizeHint());
    show();
    QSignalSpy clicked(push, &QAbstractButton::clicked);
    const QPoint middle(push->width() / 2, push->height() / 2);
    QTest::mousePress(push, Qt::LeftButton, {}, middle);
    const QColor held = push->grab().toImage().pixelColor(middle);
    QTest::mouseRelease(push, Qt::LeftButton, {}, middle);
    const QColor released = push->grab().toImage().pixelColor(middle);
    EXPECT_GT(luminance(held), luminance(released) + 50);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(push->state(), Cell::offState);
    // A release outside is no click.
    QTest::mousePress(push, Qt::LeftButton, {}, middle);
    QTest::mouseRelease(push, Qt::LeftButton, {}, QPoint(push->width() + 20, middle.y()));
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(ButtonWidget, RadioButtonsAmongSiblingsAreExclusive) {
    VTHUDButton* first = addButton(Cell::radioButton, "First", 10);
    VTHUDButton* second = addButton(Cell::radioButton, "Second", 40);
    VTHUDButton* third = addButton(Cell::radioButton, "Third", 70);
    VTHUDButton* check = addButton(Cell::switchButton, "Check", 100);
    check->setState(Cell::onState);
    show();
    QTest::mouseClick(first, Qt::LeftButton);
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(first->state(), Cell::offState);
    EXPECT_EQ(second->state(), Cell::onState);
    EXPECT_EQ(third->state(), Cell::offState);
    EXPECT_EQ(check->state(), Cell::onState);
    // A second click leaves the radio button on.
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(second->state(), Cell::onState);
}

TEST_F(ButtonWidget, RecessedButtonLightsWhileTheMouseIsIn) {
    VTHUDButton* recessed = addButton(0, "Hover", 40);
    recessed->setBezelStyle(Cell::recessedBezel);
    recessed->setImagePosition(Cell::noImage);
    VTHUDButton* rounded = addButton(0, "Other", 100);
    rounded->setBezelStyle(Cell::roundedBezel);
    show();
    QTest::mouseMove(&window, QPoint(250, 180));
    const QPoint inside(8, 8);
    const int dark = luminance(recessed->grab().toImage().pixelColor(inside));
    QTest::mouseMove(recessed, inside);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recessed->isMouseIn(); }, 2000));
    EXPECT_GT(luminance(recessed->grab().toImage().pixelColor(inside)), dark + 50);
    QTest::mouseMove(&window, QPoint(250, 180));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recessed->isMouseIn(); }, 2000));
    EXPECT_EQ(luminance(recessed->grab().toImage().pixelColor(inside)), dark);
    // Other styles take no notice.
    QTest::mouseMove(rounded, QPoint(20, 10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rounded->underMouse(); }, 2000)) << "the mouse came in";
    EXPECT_FALSE(rounded->isMouseIn());
}

TEST_F(ButtonWidget, DisabledButtonIgnoresInput) {
    VTHUDButton* check = addButton(Cell::switchButton, "Check", 10);
    check->setEnabled(false);
    show();
    QSignalSpy clicked(check, &QAbstractButton::clicked);
    QTest::mouseClick(check, Qt::LeftButton);
    QTest::keyClick(check, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(check->state(), Cell::offState);
}

TEST_F(ButtonWidget, InspectedTypeAndStoredTypeSetTheButtonType) {
    VTHUDButton* button = addButton(0, "Type", 10);
    EXPECT_TRUE(button->setProperty("inspectedType", 3));
    EXPECT_EQ(button->buttonType(), Cell::radioButton);
    EXPECT_TRUE(button->setProperty("QXButtonType", 7));
    EXPECT_EQ(button->buttonType(), 7);
    EXPECT_FALSE(button->isCheckable());
    // A button nobody set up is a switch.
    VTHUDButton fresh;
    EXPECT_EQ(fresh.buttonType(), Cell::switchButton);
    EXPECT_TRUE(fresh.isCheckable());
}

} // namespace
