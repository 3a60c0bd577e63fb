#pragma once
// One thing a Gerber file draws: a straight stroke of an aperture, or a single
// flash of it. Each command carries its own copy of the aperture that was in use
// when it was read, so later definitions or selections leave it unchanged.

#include <utility>
#include <variant>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Geometry/Limits.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberApertureTemplate.hpp"

namespace VeltranePatterns {

class GerberDrawingCommand {
public:
    struct Line {
        Coordinate from;
        Coordinate to;
        GerberApertureTemplate apertureTemplate;
    };
    struct Flash {
        Coordinate location;
        GerberApertureTemplate apertureTemplate;
    };
    using Kind = std::variant<Line, Flash>;

    static GerberDrawingCommand line(const Coordinate& from, const Coordinate& to,
                                     const GerberApertureTemplate& apertureTemplate) {
        return GerberDrawingCommand(Line{from, to, apertureTemplate});
    }
    static GerberDrawingCommand flash(const Coordinate& location, const GerberApertureTemplate& apertureTemplate) {
        return GerberDrawingCommand(Flash{location, apertureTemplate});
    }

    explicit GerberDrawingCommand(Kind kind) : kind_(std::move(kind)) {}

    const Kind& kind() const { return kind_; }
    Kind& kind() { return kind_; }

    const Line* asLine() const { return std::get_if<Line>(&kind_); }
    const Flash* asFlash() const { return std::get_if<Flash>(&kind_); }

    // The box of the command's coordinates: both ends of a line, the location of a
    // flash. The aperture never widens it (neither a line's stroke width nor the
    // extent of a flashed aperture).
    Limits limits() const;

private:
    Kind kind_;
};

} // namespace VeltranePatterns
