#pragma once
// The printing of each item kind, one file each; printItem dispatches to them.

#include <optional>
#include <vector>

#include "Dotfield/Printing/Items/PrintablePatternItem.hpp"

namespace VeltranePatterns {
class Arc;
class ArcFill;
class Fill;
class Line;
class Point;
class Polygon;
} // namespace VeltranePatterns

namespace Dotfield {

void printLine(const VeltranePatterns::Line& line, const ItemPrinting& printing);
void printArc(const VeltranePatterns::Arc& arc, const ItemPrinting& printing);
void printArcFill(const VeltranePatterns::ArcFill& arcFill, const ItemPrinting& printing);
void printFill(const VeltranePatterns::Fill& fill, const ItemPrinting& printing);
void printPoint(const VeltranePatterns::Point& point, const ItemPrinting& printing);
void printPolygon(const VeltranePatterns::Polygon& polygon, const ItemPrinting& printing);

// Inside the mode: a line to the corrected point of each point of the tool
// path in turn (pattern units), the progress handler told i / n after the
// i-th; a stop from it ends the walk and the mode normally.
void printToolPath(const std::vector<VeltranePatterns::Coordinate>& path, std::optional<double> velocity,
                   std::optional<double> acceleration, const ItemPrinting& printing);

} // namespace Dotfield
