// The button cell painted on an image: bezel fills by state and size, the
// gradient direction, shadows, titles, images, check boxes and radio buttons.

#include <gtest/gtest.h>

#include <QPainter>

#include "VTHUDFramework/Button/VTHUDButtonCell.hpp"
#include "VTHUDFramework/Theme/VTHUDTheme.hpp"
#include "VTHUDFramework/tests/Support/HUDTestSupport.hpp"

namespace {

using namespace VTHUDTest;
namespace Theme = VTHUD::Theme;
using Cell = VTHUDButtonCell;

constexpr int width = 80;

class ButtonCellPaint : public ::testing::Test {
  protected:
    void SetUp() override { ensureApplication(); }

    static Cell pushButton(int bezelStyle, int controlSize) {
        Cell cell;
        cell.setBezelStyle(bezelStyle);
        cell.setButtonType(0);
        cell.setImagePosition(Cell::noImage);
        cell.setControlSize(controlSize);
        return cell;
    }

    // The cell painted over the background in a widget of its own height
    // (or `viewHeight`).
    static QImage paint(Cell& cell, int viewHeight = 0) {
        const int height = viewHeight > 0 ? viewHeight : static_cast<int>(cell.cellSize().height());
        QImage image = canvas(width, height);
        QPainter painter(&image);
        cell.drawWithFrame(painter, QRectF(0, 0, width, height), height);
        return image;
    }

    static void expectColorAt(const QImage& image, QPoint at, const QColor& expected, int tolerance = 2) {
        const QColor actual = image.pixelColor(at);
        EXPECT_LE(distance(actual, expected), tolerance)
            << "at (" << at.x() << ", " << at.y() << "): " << describe(actual) << ", expected " << describe(expected);
    }
};

enum class Look { normal, pressed, disabled, hovered, on, onPressedShowingState };

TEST_F(ButtonCellPaint, SolidBezelsFillTheirMiddleByStateAndSize) {
    const struct {
        int bezelStyle;
        Look look;
        QColor fill;
    } cases[] = {
        {Cell::roundedBezel, Look::normal, Theme::normalSolidFill()},
        {Cell::roundedBezel, Look::pressed, Theme::pushedSolidFill()},
        {Cell::roundedBezel, Look::disabled, Theme::disabledNormalSolidFill()},
        {Cell::roundedBezel, Look::onPressedShowingState, Theme::highlightSolidFill()},
        {Cell::recessedBezel, Look::normal, Theme::normalSolidFill()},
        {Cell::recessedBezel, Look::hovered, Theme::highlightSolidFill()},
        {Cell::recessedBezel, Look::on, Theme::pushedSolidFill()},
        {Cell::recessedBezel, Look::disabled, Theme::disabledNormalSolidFill()},
    };
    for (int size : {Cell::regularSize, Cell::smallSize, Cell::miniSize}) {
        for (const auto& c : cases) {
            SCOPED_TRACE("bezel " + std::to_string(c.bezelStyle) + ", size " + std::to_string(size) + ", setup " +
                         std::to_string(static_cast<int>(c.look)));
            Cell cell = pushButton(c.bezelStyle, size);
            switch (c.look) {
            case Look::pressed:
                cell.setHighlighted(true);
                break;
            case Look::disabled:
                cell.setEnabled(false);
                break;
            case Look::hovered:
                cell.mouseEntered();
                break;
            case Look::on:
                cell.setState(Cell::onState);
                break;
            case Look::onPressedShowingState:
                cell.setShowsStateBy(12);
                cell.setHighlightsBy(14);
                cell.setState(Cell::onState);
                break;
            case Look::normal:
                break;
            }
            const QImage image = paint(cell);
            expectColorAt(image, QPoint(width / 2, image.height() / 2), over(c.fill));
        }
    }
}

TEST_F(ButtonCellPaint, RecessedHoverFollowsTheMouseAndTheOnStateClearsIt) {
    Cell cell = pushButton(Cell::recessedBezel, Cell::regularSize);
    cell.mouseEntered();
    EXPECT_TRUE(cell.isMouseIn());
    EXPECT_TRUE(cell.isHighlighted());
    cell.mouseExited();
    EXPECT_FALSE(cell.isMouseIn());
    EXPECT_FALSE(cell.isHighlighted());

    cell.mouseEntered();
    cell.setState(Cell::onState);
    paint(cell);
    EXPECT_FALSE(cell.isMouseIn());

    // Other styles ignore the mouse.
    Cell rounded = pushButton(Cell::roundedBezel, Cell::regularSize);
    rounded.mouseEntered();
    EXPECT_FALSE(rounded.isMouseIn());
    EXPECT_FALSE(rounded.isHighlighted());
}

TEST_F(ButtonCellPaint, GradientBezelsAreLighterAtTheTop) {
    for (int bezel : {Cell::texturedRoundedBezel, Cell::roundRectBezel, Cell::smallSquareBezel}) {
        for (bool pressed : {false, true}) {
            SCOPED_TRACE("bezel " + std::to_string(bezel) + (pressed ? ", pressed" : ""));
            Cell cell = pushButton(bezel, Cell::regularSize);
            cell.setHighlighted(pressed);
            const QImage image = paint(cell, 24);
            const int bottom = static_cast<int>(cell.cellSize().height()) - 7;
            EXPECT_GT(luminance(image.pixelColor(width / 2, 4)), luminance(image.pixelColor(width / 2, bottom)) + 5);
        }
    }
}

TEST_F(ButtonCellPaint, ShownStateUsesTheHighlightGradientWhetherPressedOrNot) {
    Cell cell = pushButton(Cell::texturedRoundedBezel, Cell::regularSize);
    cell.setShowsStateBy(12);
    cell.setHighlightsBy(12);
    cell.setState(Cell::onState);
    const QImage released = paint(cell);
    cell.setHighlighted(true);
    const QImage pressed = paint(cell);
    EXPECT_EQ(released, pressed);

    Cell pushedLook = pushButton(Cell::texturedRoundedBezel, Cell::regularSize);
    pushedLook.setHighlighted(true); // the pushed gradient has the highlight's colours
    EXPECT_EQ(paint(pushedLook), released);
    Cell normalLook = pushButton(Cell::texturedRoundedBezel, Cell::regularSize);
    EXPECT_NE(paint(normalLook), released);
}

TEST_F(ButtonCellPaint, DropShadowDarkensTheRowUnderAnEnabledBezel) {
    for (int size : {Cell::regularSize, Cell::smallSize}) {
        SCOPED_TRACE(size);
        Cell cell = pushButton(Cell::texturedRoundedBezel, size);
        const int height = static_cast<int>(cell.cellSize().height());
        const double pathBottom = (size == Cell::regularSize ? 1.5 : 0.5) + height - 4;
        const QPoint under(width / 2, static_cast<int>(pathBottom + 0.5));
        EXPECT_LT(luminance(paint(cell).pixelColor(under)), luminance(background()) - 10);
        cell.setEnabled(false);
        expectColorAt(paint(cell), under, background());
    }
}

TEST_F(ButtonCellPaint, BezelStylesWithoutAPainterPaintNothing) {
    for (int bezel : {0, 2, 5, 14}) {
        Cell cell = pushButton(bezel, Cell::regularSize);
        cell.setTitle("Push");
        EXPECT_EQ(paint(cell), canvas(width, static_cast<int>(cell.cellSize().height()))) << "bezel " << bezel;
    }
}

TEST_F(ButtonCellPaint, TitleRectangleOfAPushButtonShrinks) {
    Cell cell = pushButton(Cell::roundedBezel, Cell::regularSize);
    QImage image = canvas(width, 40);
    QPainter painter(&image);
    const QRectF frame(3, 4, 70, 30);
    EXPECT_EQ(cell.drawTitle(painter, QString(), frame), QRectF(8, 4, 60, 28));
    // A check box keeps the rectangle whole.
    cell.setButtonType(Cell::switchButton);
    EXPECT_EQ(cell.drawTitle(painter, QString(), frame), frame);
    // A title reports where it went, inside the rectangle.
    cell.setButtonType(0);
    const QRectF drawn = cell.drawTitle(painter, "OK", frame);
    EXPECT_TRUE(QRectF(8, 4, 60, 28).contains(drawn.center()));
    EXPECT_GT(drawn.width(), 5);
}

TEST_F(ButtonCellPaint, AlternateTitleShowsInTheStatesThatAskForIt) {
    const struct {
        int showsStateBy, highlightsBy;
        bool highlighted;
        int state;
        bool alternate;
    } cases[] = {
        {0, 1, true, 0, true},   {0, 1, false, 0, false}, {1, 3, false, 1, true},
        {1, 3, false, 0, false}, {0, 2, true, 1, false},
    };
    for (const auto& c : cases) {
        Cell cell = pushButton(Cell::roundedBezel, Cell::regularSize);
        cell.setShowsStateBy(c.showsStateBy);
        cell.setHighlightsBy(c.highlightsBy);
        cell.setHighlighted(c.highlighted);
        cell.setState(c.state);
        cell.setAlternateTitle("Much longer alternate");
        QImage image = canvas(200, 40);
        QPainter painter(&image);
        const double drawnWidth = cell.drawTitle(painter, "On", QRectF(0, 0, 200, 30)).width();
        EXPECT_EQ(drawnWidth > 60, c.alternate) << c.showsStateBy << "/" << c.highlightsBy;
    }
}

TEST_F(ButtonCellPaint, ImagesGoOnlyOverTheBezelAtTheControlsAlpha) {
    QPixmap red(24, 24);
    red.fill(Qt::red);
    Cell cell = pushButton(Cell::roundedBezel, Cell::regularSize);
    cell.setImagePosition(Cell::imageOnly);
    cell.setImage(red);
    const int height = static_cast<int>(cell.cellSize().height());
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        cell.drawWithFrame(painter, QRectF(0, 0, width, height), height);
    }
    // The bezel spans rows 5 to 23; the image, centred on it, rows 2 to 25.
    EXPECT_EQ(image.pixelColor(width / 2, 25).alpha(), 0);
    const QColor middle = image.pixelColor(width / 2, 14);
    EXPECT_EQ(middle.alpha(), Theme::normalSolidFill().alpha());
    EXPECT_GT(middle.red(), middle.green() + 100);
    // A template image is drawn as it is.
    cell.setTemplateImage(true);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        cell.drawWithFrame(painter, QRectF(0, 0, width, height), height);
    }
    EXPECT_EQ(image.pixelColor(width / 2, 25), QColor(Qt::red));
}

// A switch or radio button without a bezel, the box on the left.
Cell checkButton(int type, int size, int state) {
    Cell cell;
    cell.setButtonType(type);
    cell.setControlSize(size);
    cell.setState(state);
    return cell;
}

// How many pixels in the box's inside have the stroke colour.
int strokePixelsInBox(const QImage& image, const QRectF& box) {
    int count = 0;
    const QColor stroke = Theme::strokeColor();
    for (int y = static_cast<int>(box.top()) + 2; y < static_cast<int>(box.bottom()) - 1; ++y) {
        for (int x = static_cast<int>(box.left()) + 2; x < static_cast<int>(box.right()) - 1; ++x) {
            count += distance(image.pixelColor(x, y), stroke) <= 8;
        }
    }
    return count;
}

TEST_F(ButtonCellPaint, CheckBoxShowsItsMarkOnlyWhenOnAndItsBarWhenMixed) {
    const struct {
        int size;
        QRectF box; // in a view of the cell's own height
    } cases[] = {
        {Cell::regularSize, {2.5, 2.5, 13, 12}},
        {Cell::smallSize, {3.5, 3.5, 11, 10}},
        {Cell::miniSize, {4.5, 5.5, 9, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        Cell off = checkButton(Cell::switchButton, c.size, Cell::offState);
        EXPECT_EQ(strokePixelsInBox(paint(off), c.box), 0);
        Cell on = checkButton(Cell::switchButton, c.size, Cell::onState);
        EXPECT_GE(strokePixelsInBox(paint(on), c.box), 3);
        Cell mixed = checkButton(Cell::switchButton, c.size, Cell::mixedState);
        const QImage image = paint(mixed);
        const QPoint barMiddle(static_cast<int>(c.box.center().x()), static_cast<int>(c.box.center().y()));
        expectColorAt(image, barMiddle, Theme::strokeColor(), 8);
    }
}

TEST_F(ButtonCellPaint, RadioButtonShowsItsDotWhenOn) {
    const struct {
        int size;
        QPoint middle;
    } cases[] = {{Cell::regularSize, {9, 9}}, {Cell::smallSize, {9, 9}}, {Cell::miniSize, {9, 10}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        Cell off = checkButton(Cell::radioButton, c.size, Cell::offState);
        EXPECT_GT(distance(paint(off).pixelColor(c.middle), Theme::strokeColor()), 40);
        Cell on = checkButton(Cell::radioButton, c.size, Cell::onState);
        expectColorAt(paint(on), c.middle, Theme::strokeColor(), 8);
    }
}

TEST_F(ButtonCellPaint, CheckBoxIsCentredInTheWidgetsHeight) {
    Cell cell = checkButton(Cell::switchButton, Cell::regularSize, Cell::onState);
    // A view of 40 for a cell 18 high: the box drops by 11 to rows 13.5 to 25.5.
    const QImage image = paint(cell, 40);
    EXPECT_GE(strokePixelsInBox(image, QRectF(2.5, 13.5, 13, 12)), 3);
    expectColorAt(image, QPoint(9, 4), background());
}

TEST_F(ButtonCellPaint, InspectedTypeChoosesSwitchRadioOrPlain) {
    const std::pair<int, int> cases[] = {{2, Cell::switchButton}, {3, Cell::radioButton}, {1, 0}, {7, 0}};
    for (const auto& [inspected, type] : cases) {
        Cell cell;
        cell.setInspectedType(inspected);
        EXPECT_EQ(cell.buttonType(), type) << inspected;
    }
    // A cell nobody set up is a switch and draws its box.
    Cell fresh;
    EXPECT_EQ(fresh.buttonType(), Cell::switchButton);
    EXPECT_NE(paint(fresh), canvas(width, static_cast<int>(fresh.cellSize().height())));
}

} // namespace
