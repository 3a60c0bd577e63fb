#include "VeltranePatterns/Source/Import/Gerber/GerberDrawingCommand.hpp"

namespace VeltranePatterns {

namespace {

// The end point's value wins ties for the maximum and loses them for the minimum,
// which only matters for signed zeros.
double lowerOf(double from, double to) { return to < from ? to : from; }
double upperOf(double from, double to) { return from <= to ? to : from; }

} // namespace

Limits GerberDrawingCommand::limits() const {
    if (const Line* line = asLine()) {
        return Limits{lowerOf(line->from.x, line->to.x), upperOf(line->from.x, line->to.x),
                      lowerOf(line->from.y, line->to.y), upperOf(line->from.y, line->to.y),
                      lowerOf(line->from.z, line->to.z), upperOf(line->from.z, line->to.z)};
    }
    const Coordinate& location = std::get<Flash>(kind_).location;
    return Limits{location.x, location.x, location.y, location.y, location.z, location.z};
}

} // namespace VeltranePatterns
