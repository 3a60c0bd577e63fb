#pragma once
// The colours, gradients and shadows every heads-up-display control paints
// with. Each getter makes a new value; colours other than white and black are
// device RGB.

#include <QColor>
#include <QPointF>

#include <vector>

namespace VTHUD {

// A colour at a location between 0 (start) and 1 (end) of a gradient.
struct GradientStop {
    double location;
    QColor color;
};

// A gradient as its stops, in order; two stops may share a location (a hard
// step between two bands).
struct Gradient {
    std::vector<GradientStop> stops;
};

// A shadow as the drawing toolkit describes one: the offset has y growing
// upward, so (0, -1) lies one pixel below the shape on the screen.
struct Shadow {
    QColor color;
    double blurRadius;
    QPointF offset;
};

namespace Theme {

// Alpha of the normal and the disabled colours: single-precision constants,
// widened (0.6000000238418579 and 0.20000000298023224).
double alphaValue();
double disabledAlphaValue();

Shadow dropShadow();
Shadow focusRing();

QColor textColor();
QColor highlightTextColor();
// A disabled button's title.
QColor disabledTextColor();
// A disabled label's text: white at the disabled alpha.
QColor labelDisabledTextColor();

QColor strokeColor();
QColor disabledStrokeColor();
QColor darkStrokeColor();

QColor normalSolidFill();
QColor disabledNormalSolidFill();
QColor pushedSolidFill();
QColor highlightSolidFill();

Gradient normalGradient();
Gradient disabledNormalGradient();
Gradient highlightGradient();
Gradient pushedGradient();

Gradient normalComplexGradient();
Gradient disabledNormalComplexGradient();
Gradient pushedComplexGradient();
Gradient highlightComplexGradient();

QColor sliderTrackColor();
QColor disabledSliderTrackColor();
Gradient knobColor();
Gradient disabledKnobColor();
Gradient highlightKnobColor();

} // namespace Theme
} // namespace VTHUD
