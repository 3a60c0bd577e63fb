// A layout naming the heads-up-display controls, read through the
// application's layout loader and compiled by uic: the controls come out as
// their classes with every property the layout gives.

#include <memory>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>

#include "Dotfield/Platform/Qt/LayoutLoader.hpp"
#include "VTHUDFramework/Button/VTHUDButton.hpp"
#include "VTHUDFramework/Label/VTHUDLabel.hpp"
#include "VTHUDFramework/Slider/VTHUDSlider.hpp"
#include "ui_HUDControls.h"

namespace Dotfield {
namespace {

class LayoutLoaderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "DotfieldLayoutLoaderTests";
            static char* argv[] = {name, nullptr};
            static QApplication application(argc, argv);
        }
    }

    static std::unique_ptr<QWidget> load() {
        QFile file(DOTFIELD_HUD_LAYOUT);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        LayoutLoader loader;
        std::unique_ptr<QWidget> root(loader.load(&file));
        EXPECT_NE(root, nullptr) << loader.errorString().toStdString();
        return root;
    }

    // A button made in code beside the loaded one with its title, state and
    // size, of the given type.
    static QImage lookalike(const VTHUDButton& loaded, int buttonType) {
        VTHUDButton button(loaded.parentWidget());
        button.setButtonType(buttonType);
        button.setTitle(loaded.text());
        button.setState(loaded.state());
        button.resize(loaded.size());
        return button.grab().toImage();
    }
};

void expectLayoutsControls(QWidget& root) {
    auto* choice = root.findChild<VTHUDButton*>("choice");
    auto* record = root.findChild<VTHUDButton*>("record");
    auto* exposure = root.findChild<VTHUDSlider*>("exposure");
    auto* caption = root.findChild<VTHUDLabel*>("caption");
    ASSERT_NE(choice, nullptr);
    ASSERT_NE(record, nullptr);
    ASSERT_NE(exposure, nullptr);
    ASSERT_NE(caption, nullptr);

    EXPECT_EQ(choice->buttonType(), VTHUDButtonCell::radioButton);
    EXPECT_EQ(choice->text(), "Choice");
    EXPECT_EQ(choice->state(), VTHUDButtonCell::onState);
    EXPECT_EQ(record->bezelStyle(), VTHUDButtonCell::roundedBezel);
    EXPECT_EQ(record->buttonType(), 0);
    EXPECT_FALSE(record->isCheckable());

    EXPECT_EQ(exposure->minimum(), 10);
    EXPECT_EQ(exposure->maximum(), 50);
    EXPECT_EQ(exposure->value(), 30);
    EXPECT_EQ(exposure->controlSize(), VTHUDSliderCell::smallSize);
    EXPECT_EQ(exposure->numberOfTickMarks(), 5);
    EXPECT_EQ(exposure->tickMarkPosition(), VTHUDSliderCell::tickMarksAbove);
    EXPECT_EQ(exposure->orientation(), Qt::Horizontal);

    EXPECT_EQ(caption->text(), "Exposure");
}

TEST_F(LayoutLoaderTest, LoaderMakesTheHUDControlsWithTheLayoutsProperties) {
    const std::unique_ptr<QWidget> root = load();
    ASSERT_NE(root, nullptr);
    expectLayoutsControls(*root);
    // Classes the HUD library does not know come from Qt.
    EXPECT_NE(root->findChild<QPushButton*>("plain"), nullptr);

    // The inspected type 3 makes the button paint as a radio button.
    auto* choice = root->findChild<VTHUDButton*>("choice");
    const QImage loaded = choice->grab().toImage();
    EXPECT_EQ(loaded, lookalike(*choice, VTHUDButtonCell::radioButton));
    EXPECT_NE(loaded, lookalike(*choice, VTHUDButtonCell::switchButton));
}

TEST_F(LayoutLoaderTest, LayoutCompiledByUicMakesTheSameControls) {
    QWidget root;
    Ui::HUDControls layout;
    layout.setupUi(&root);
    expectLayoutsControls(root);
    EXPECT_EQ(layout.choice->grab().toImage(), lookalike(*layout.choice, VTHUDButtonCell::radioButton));
}

} // namespace
} // namespace Dotfield
