#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/Gerber/GerberDrawingCommand.hpp"

using namespace VeltranePatterns;

TEST(GerberDrawingCommand, LimitsCoverTheCoordinatesOnly) {
    const auto wide = GerberApertureTemplate::circle(10.0);
    EXPECT_EQ(GerberDrawingCommand::line({5, 1, 0}, {2, 3, 0}, wide).limits(), (Limits{2, 5, 1, 3, 0, 0}));
    EXPECT_EQ(GerberDrawingCommand::line({-1, -2, 4}, {-1, -2, 4}, wide).limits(), (Limits{-1, -1, -2, -2, 4, 4}));
    EXPECT_EQ(GerberDrawingCommand::flash({3, -4, 0}, wide).limits(), (Limits{3, 3, -4, -4, 0, 0}));
}

TEST(GerberDrawingCommand, CarriesItsOwnCopyOfTheAperture) {
    auto aperture = GerberApertureTemplate::rectangle(1.0, 2.0, 0.5);
    const auto command = GerberDrawingCommand::flash({0, 0, 0}, aperture);
    aperture = GerberApertureTemplate::circle(3.0);
    const auto* rectangle = command.asFlash()->apertureTemplate.asRectangle();
    ASSERT_NE(rectangle, nullptr);
    EXPECT_EQ(rectangle->width, 1.0);
    EXPECT_EQ(rectangle->height, 2.0);
    EXPECT_EQ(rectangle->holeDiameter, 0.5);
}
