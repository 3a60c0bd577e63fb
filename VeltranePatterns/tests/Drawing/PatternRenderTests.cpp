// Renders a small pattern, one item of each drawing kind in each display
// state, through the layers of a graphics scene into a PNG under the build
// tree, and checks a few pixels of it.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>

#include "VeltranePatterns/Source/Drawing/DrawablePatternItems.hpp"
#include "VeltranePatterns/Source/Drawing/PatternItemLayer.hpp"
#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/tests/Drawing/QtTestApplication.hpp"

namespace VeltranePatterns {
namespace {

using Zovudidova::degrees;
using Zovudidova::seconds;

constexpr double scaleFactor = 2.0;
constexpr double featureWidth = 3.0; // a line 6 pixels wide
constexpr double cell = 60.0;        // pattern units between items

// One item of every kind that draws, inside a cell of 50 units at (x, y).
std::vector<PatternItemPtr> itemsOfEveryKind(double x, double y) {
    return {
        std::make_shared<Line>(Coordinate(x + 5, y + 20, 0), Coordinate(x + 45, y + 20, 0)),
        std::make_shared<Point>(Coordinate(x + 25, y + 25, 0), seconds(1)),
        std::make_shared<Arc>(Coordinate(x + 25, y + 25, 0), degrees(-90), degrees(90), 20.0,
                              RotationalDirection::clockwise),
        std::make_shared<ArcFill>(8.0, 20.0, Coordinate(x + 25, y + 25, 0), degrees(0), degrees(270),
                                  RotationalDirection::counterClockwise),
        std::make_shared<Fill>(Coordinate(x + 5, y + 5, 0), FillDimensions{40, 40, 0},
                               Fill::FillType::horizontal),
        std::make_shared<Polygon>(
            std::vector<Coordinate>{{x + 5, y + 45, 0}, {x + 25, y + 5, 0}, {x + 45, y + 45, 0}}),
    };
}

std::filesystem::path outputDirectory() {
    const char* configured = std::getenv("DOTFIELD_TEST_OUTPUT");
    return configured != nullptr ? std::filesystem::path(configured) : std::filesystem::temp_directory_path();
}

class PatternRender : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ensureQtApplication();
        const DisplayState rows[] = {DisplayState::normal, DisplayState::selected, DisplayState::printed};
        QGraphicsScene scene;
        for (int row = 0; row < 3; ++row) {
            int column = 0;
            for (const auto& item : itemsOfEveryKind(0, row * cell)) {
                auto* layer = new PatternItemLayer(makeDrawablePatternItem(item), featureWidth, scaleFactor);
                layer->setFrame(
                    layer->patternItem()->frame(scaleFactor, featureWidth, {column * cell * scaleFactor, 0}));
                layer->setState(rows[row]);
                scene.addItem(layer); // the scene owns it
                ++column;
            }
        }
        image_ = new QImage(static_cast<int>(6 * cell * scaleFactor),
                            static_cast<int>(3 * cell * scaleFactor), QImage::Format_ARGB32_Premultiplied);
        image_->fill(Qt::white);
        QPainter painter(image_);
        scene.render(&painter, QRectF(image_->rect()), QRectF(image_->rect()));
        painter.end();

        std::filesystem::create_directories(outputDirectory());
        const auto file = outputDirectory() / "pattern-item-layers.png";
        saved_ = image_->save(QString::fromStdString(file.string()), "PNG");
    }

    static void TearDownTestSuite() {
        delete image_;
        image_ = nullptr;
    }

    // The pixel at a place (x, y) of the pattern in the cell of the given column and row.
    static QColor at(int column, int row, double x, double y) {
        return image_->pixelColor(static_cast<int>((column * cell + x) * scaleFactor),
                                  static_cast<int>((row * cell + y) * scaleFactor));
    }

    static void expectColor(QColor actual, int red, int green, int blue) {
        EXPECT_NEAR(actual.red(), red, 2) << actual.name().toStdString();
        EXPECT_NEAR(actual.green(), green, 2) << actual.name().toStdString();
        EXPECT_NEAR(actual.blue(), blue, 2) << actual.name().toStdString();
    }

    static inline QImage* image_ = nullptr;
    static inline bool saved_ = false;
};

TEST_F(PatternRender, WritesThePicture) {
    EXPECT_TRUE(saved_);
}

TEST_F(PatternRender, LinesShowInTheColourOfTheirState) {
    // Black at 0.75 over white, and the opaque selection blue.
    expectColor(at(0, 0, 25, 20), 64, 64, 64);
    expectColor(at(0, 1, 25, 20), 48, 131, 250);
    // Grey at 0.25 over white.
    expectColor(at(0, 2, 25, 20), 223, 223, 223);
}

TEST_F(PatternRender, AreasAndDotsArePaintedAndTheRestIsUntouched) {
    expectColor(at(1, 0, 25, 25), 64, 64, 64); // the point's dot
    expectColor(at(3, 0, 35, 15), 64, 64, 64); // inside the ring sector
    expectColor(at(4, 0, 25, 25), 64, 64, 64); // inside the fill
    expectColor(at(5, 0, 25, 35), 64, 64, 64); // inside the polygon

    EXPECT_EQ(at(3, 0, 25, 25), QColor(Qt::white)) << "the hole of the ring sector";
    EXPECT_EQ(at(3, 0, 15, 35), QColor(Qt::white)) << "where the ring sector does not reach";
    EXPECT_EQ(at(0, 0, 25, 40), QColor(Qt::white)) << "below the line";
    EXPECT_EQ(at(2, 0, 25, 25), QColor(Qt::white)) << "inside the arc";
    EXPECT_EQ(image_->pixelColor(image_->width() - 1, image_->height() - 1), QColor(Qt::white));
}

TEST_F(PatternRender, SelectedItemsHaveALightBlueHaloInsideTheirLayer) {
    // Just inside the selected arc's stroke, within its layer, the shadow tints the white.
    const QColor halo = at(2, 1, 25 + 20 - featureWidth, 25);
    EXPECT_LT(halo.red(), 250) << halo.name().toStdString();
    EXPECT_GT(halo.blue(), halo.red()) << halo.name().toStdString();
    EXPECT_EQ(at(2, 0, 25 + 20 - featureWidth, 25), QColor(Qt::white)) << "no halo when normal";
}

} // namespace
} // namespace VeltranePatterns
