#pragma once
// The small set of two-dimensional path operations that pattern items draw
// with, and the graphics state a display layer sets before an item draws.
//
// Semantics every implementation keeps:
// - Angles are in radians, measured from the +x axis toward +y. An arc with the
//   clockwise flag set turns toward decreasing angles, without it toward
//   increasing angles. When the two angles differ by a whole number of turns
//   (but are not equal) the arc is a full circle in the chosen sense; equal
//   angles give no sweep. An arc is joined to the current point by a straight
//   segment when the path has one, and otherwise starts a new subpath; a line
//   added without a current point starts a new subpath at its end point.
// - fillPath() fills with the non-zero winding rule and strokePath() strokes;
//   both consume the current path, so painting it again paints nothing.
// - fillRect() paints a rectangle with the fill colour and leaves the path alone.
//
// The interface is free of any toolkit so that the drawing of items can be
// recorded and checked without a display.

#include <cstdint>

namespace VeltranePatterns {

struct DrawingPoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const DrawingPoint&, const DrawingPoint&) = default;
};

struct DrawingRect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    friend bool operator==(const DrawingRect&, const DrawingRect&) = default;
};

// Components from 0 to 1, not premultiplied.
struct DrawingColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;
    friend bool operator==(const DrawingColor&, const DrawingColor&) = default;
};

enum class LineCap : std::uint8_t { butt, round, square };
enum class LineJoin : std::uint8_t { miter, round, bevel };

// A blurred copy of everything painted, in the shadow colour, under the painting.
struct DrawingShadow {
    DrawingPoint offset;
    double blur = 0.0;
    DrawingColor color;
    friend bool operator==(const DrawingShadow&, const DrawingShadow&) = default;
};

class DrawingContext {
public:
    virtual ~DrawingContext() = default;

    // Path construction.
    virtual void moveTo(DrawingPoint point) = 0;
    virtual void addLineTo(DrawingPoint point) = 0;
    virtual void addArc(DrawingPoint center, double radius, double startAngle, double endAngle, bool clockwise) = 0;
    virtual void closePath() = 0;
    virtual void addRect(DrawingRect rect) = 0;

    // Painting.
    virtual void fillRect(DrawingRect rect) = 0;
    virtual void fillPath() = 0;
    virtual void strokePath() = 0;

    // Graphics state. A new context strokes and fills in opaque black with a
    // line width of 1, butt caps, miter joins and no shadow.
    virtual void setLineWidth(double width) = 0;
    virtual void setLineCap(LineCap cap) = 0;
    virtual void setLineJoin(LineJoin join) = 0;
    virtual void setStrokeColor(DrawingColor color) = 0;
    virtual void setFillColor(DrawingColor color) = 0;
    virtual void setShadow(DrawingShadow shadow) = 0;
};

} // namespace VeltranePatterns
