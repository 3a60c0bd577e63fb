// The theme's colours, gradients and shadows, component by component.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VTHUDFramework/Theme/VTHUDTheme.hpp"

namespace {

using namespace VTHUD;

struct Components {
    double red, green, blue, alpha;
};

void expectColor(const QColor& color, const Components& expected, const std::string& name) {
    SCOPED_TRACE(name);
    EXPECT_EQ(color.spec(), QColor::Rgb);
    EXPECT_NEAR(color.redF(), expected.red, 1e-4);
    EXPECT_NEAR(color.greenF(), expected.green, 1e-4);
    EXPECT_NEAR(color.blueF(), expected.blue, 1e-4);
    EXPECT_NEAR(color.alphaF(), expected.alpha, 1e-4);
}

const double normal = 0.6000000238418579;
const double disabled = 0.20000000298023224;

TEST(HUDTheme, AlphasAreSinglePrecisionConstantsWidened) {
    EXPECT_EQ(Theme::alphaValue(), normal);
    EXPECT_EQ(Theme::disabledAlphaValue(), disabled);
}

TEST(HUDTheme, ColorsHaveTheirComponents) {
    const struct {
        const char* name;
        std::function<QColor()> getter;
        Components expected;
    } cases[] = {
        {"textColor", Theme::textColor, {1, 1, 1, 1}},
        {"highlightTextColor", Theme::highlightTextColor, {1, 1, 1, 1}},
        {"disabledTextColor", Theme::disabledTextColor, {1, 1, 1, 1}},
        {"labelDisabledTextColor", Theme::labelDisabledTextColor, {1, 1, 1, disabled}},
        {"strokeColor", Theme::strokeColor, {0.749, 0.761, 0.788, 1}},
        {"disabledStrokeColor", Theme::disabledStrokeColor, {0.749, 0.761, 0.788, disabled}},
        {"darkStrokeColor", Theme::darkStrokeColor, {0.141, 0.141, 0.141, 0.5}},
        {"normalSolidFill", Theme::normalSolidFill, {0.141, 0.141, 0.141, normal}},
        {"disabledNormalSolidFill", Theme::disabledNormalSolidFill, {0.141, 0.141, 0.141, disabled}},
        {"pushedSolidFill", Theme::pushedSolidFill, {0.941, 0.941, 0.941, normal}},
        {"highlightSolidFill", Theme::highlightSolidFill, {0.941, 0.941, 0.941, normal}},
        {"sliderTrackColor", Theme::sliderTrackColor, {0.318, 0.318, 0.318, normal}},
        {"disabledSliderTrackColor", Theme::disabledSliderTrackColor, {0.318, 0.318, 0.318, disabled}},
    };
    for (const auto& c : cases) {
        expectColor(c.getter(), c.expected, c.name);
    }
}

TEST(HUDTheme, GradientsHaveTheirStops) {
    const Components dark1{0.251, 0.251, 0.255, 0}, dark2{0.118, 0.118, 0.118, 0};
    const Components light1{0.451, 0.451, 0.455, 0}, light2{0.318, 0.318, 0.318, 0};
    const std::vector<Components> normalBands{
        {0.324, 0.331, 0.347, 0}, {0.245, 0.253, 0.269, 0}, {0.206, 0.214, 0.233, 0}, {0.139, 0.147, 0.167, 0}};
    const std::vector<Components> pushedBands{
        {0.524, 0.531, 0.547, 0}, {0.445, 0.453, 0.469, 0}, {0.406, 0.414, 0.433, 0}, {0.339, 0.347, 0.367, 0}};
    const struct {
        const char* name;
        std::function<Gradient()> getter;
        std::vector<Components> colors;
        double alpha;
    } cases[] = {
        {"normalGradient", Theme::normalGradient, {dark1, dark2}, normal},
        {"disabledNormalGradient", Theme::disabledNormalGradient, {dark1, dark2}, disabled},
        {"highlightGradient", Theme::highlightGradient, {light1, light2}, normal},
        {"pushedGradient", Theme::pushedGradient, {light1, light2}, normal},
        {"normalComplexGradient", Theme::normalComplexGradient, normalBands, normal},
        {"disabledNormalComplexGradient", Theme::disabledNormalComplexGradient, normalBands, disabled},
        {"pushedComplexGradient", Theme::pushedComplexGradient, pushedBands, normal},
        {"highlightComplexGradient", Theme::highlightComplexGradient, pushedBands, normal},
        {"knobColor", Theme::knobColor, {dark1, dark2}, 1.0},
        {"disabledKnobColor", Theme::disabledKnobColor, {dark1, dark2}, 1.0},
        {"highlightKnobColor", Theme::highlightKnobColor, {light1, light2}, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Gradient gradient = c.getter();
        ASSERT_EQ(gradient.stops.size(), c.colors.size());
        const std::vector<double> locations =
            c.colors.size() == 2 ? std::vector<double>{0.0, 1.0} : std::vector<double>{0.0, 0.5, 0.5, 1.0};
        for (std::size_t i = 0; i < c.colors.size(); ++i) {
            EXPECT_EQ(gradient.stops[i].location, locations[i]);
            Components expected = c.colors[i];
            expected.alpha = c.alpha;
            expectColor(gradient.stops[i].color, expected, "stop " + std::to_string(i));
        }
    }
}

TEST(HUDTheme, ShadowsAreBlackDropAndWhiteRing) {
    const Shadow drop = Theme::dropShadow();
    EXPECT_EQ(drop.color, QColor(Qt::black));
    EXPECT_EQ(drop.blurRadius, 2.0);
    EXPECT_EQ(drop.offset, QPointF(0, -1));
    const Shadow ring = Theme::focusRing();
    EXPECT_EQ(ring.color, QColor(Qt::white));
    EXPECT_EQ(ring.blurRadius, 3.0);
    EXPECT_EQ(ring.offset, QPointF(0, 0));
}

} // namespace
