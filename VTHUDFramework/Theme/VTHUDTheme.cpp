#include "VTHUDFramework/Theme/VTHUDTheme.hpp"

#include <array>

namespace VTHUD::Theme {
namespace {

constexpr float normalAlpha = 0.6f;
constexpr float disabledAlpha = 0.2f;

QColor rgb(double red, double green, double blue, double alpha) {
    return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
                            static_cast<float>(alpha));
}

QColor gray(double level, double alpha) { return rgb(level, level, level, alpha); }

// A gradient from the first colour to the second.
Gradient twoColor(QColor from, QColor to) { return Gradient{{{0.0, from}, {1.0, to}}}; }

// The four bands of the complex gradients: two colours meeting at the middle.
Gradient fourColor(const std::array<std::array<double, 3>, 4>& colors, double alpha) {
    constexpr std::array<double, 4> locations{0.0, 0.5, 0.5, 1.0};
    Gradient gradient;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        gradient.stops.push_back({locations[i], rgb(colors[i][0], colors[i][1], colors[i][2], alpha)});
    }
    return gradient;
}

constexpr std::array<std::array<double, 3>, 4> normalBands{
    {{0.324, 0.331, 0.347}, {0.245, 0.253, 0.269}, {0.206, 0.214, 0.233}, {0.139, 0.147, 0.167}}};
constexpr std::array<std::array<double, 3>, 4> pushedBands{
    {{0.524, 0.531, 0.547}, {0.445, 0.453, 0.469}, {0.406, 0.414, 0.433}, {0.339, 0.347, 0.367}}};

Gradient darkGradient(double alpha) { return twoColor(rgb(0.251, 0.251, 0.255, alpha), gray(0.118, alpha)); }
Gradient lightGradient(double alpha) { return twoColor(rgb(0.451, 0.451, 0.455, alpha), gray(0.318, alpha)); }

QColor strokeGray(double alpha) { return rgb(0.749, 0.761, 0.788, alpha); }

} // namespace

double alphaValue() { return normalAlpha; }
double disabledAlphaValue() { return disabledAlpha; }

Shadow dropShadow() { return {QColor(Qt::black), 2.0, QPointF(0.0, -1.0)}; }
Shadow focusRing() { return {QColor(Qt::white), 3.0, QPointF(0.0, 0.0)}; }

QColor textColor() { return QColor(Qt::white); }
QColor highlightTextColor() { return QColor(Qt::white); }
QColor disabledTextColor() { return QColor(Qt::white); }
QColor labelDisabledTextColor() { return rgb(1.0, 1.0, 1.0, disabledAlphaValue()); }

QColor strokeColor() { return strokeGray(1.0); }
QColor disabledStrokeColor() { return strokeGray(disabledAlphaValue()); }
QColor darkStrokeColor() { return gray(0.141, 0.5); }

QColor normalSolidFill() { return gray(0.141, alphaValue()); }
QColor disabledNormalSolidFill() { return gray(0.141, disabledAlphaValue()); }
QColor pushedSolidFill() { return gray(0.941, alphaValue()); }
QColor highlightSolidFill() { return gray(0.941, alphaValue()); }

Gradient normalGradient() { return darkGradient(alphaValue()); }
Gradient disabledNormalGradient() { return darkGradient(disabledAlphaValue()); }
Gradient highlightGradient() { return lightGradient(alphaValue()); }
Gradient pushedGradient() { return lightGradient(alphaValue()); }

Gradient normalComplexGradient() { return fourColor(normalBands, alphaValue()); }
Gradient disabledNormalComplexGradient() { return fourColor(normalBands, disabledAlphaValue()); }
Gradient pushedComplexGradient() { return fourColor(pushedBands, alphaValue()); }
Gradient highlightComplexGradient() { return fourColor(pushedBands, alphaValue()); }

QColor sliderTrackColor() { return gray(0.318, alphaValue()); }
QColor disabledSliderTrackColor() { return gray(0.318, disabledAlphaValue()); }
Gradient knobColor() { return darkGradient(1.0); }
Gradient disabledKnobColor() { return darkGradient(1.0); }
Gradient highlightKnobColor() { return lightGradient(1.0); }

} // namespace VTHUD::Theme
