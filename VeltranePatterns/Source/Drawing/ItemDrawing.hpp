#pragma once
// How each kind of pattern item draws itself: its plain outline or area, not
// its printing tool path, flattened to x and y (see DrawablePatternItem for the
// item-local mapping). Lines, points and arcs are stroked; an arc fill and a
// polygon are filled, and the stroke that follows their fill finds the path
// consumed and paints nothing; a fill is filled and outlined.

#include "VeltranePatterns/Source/Drawing/DrawingContext.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace VeltranePatterns {

class Line;
class Point;
class Arc;
class ArcFill;
class Fill;
class Polygon;

void drawLine(const Line& line, const Coordinate& offset, const ScaleFactors& scale, DrawingContext& context);
void drawPoint(const Point& point, const Coordinate& offset, const ScaleFactors& scale,
               DrawingContext& context);
void drawArc(const Arc& arc, const Coordinate& offset, const ScaleFactors& scale, DrawingContext& context);
void drawArcFill(const ArcFill& arcFill, const Coordinate& offset, const ScaleFactors& scale,
                 DrawingContext& context);
void drawFill(const Fill& fill, const Coordinate& offset, const ScaleFactors& scale, DrawingContext& context);
void drawPolygon(const Polygon& polygon, const Coordinate& offset, const ScaleFactors& scale,
                 DrawingContext& context);

} // namespace VeltranePatterns
