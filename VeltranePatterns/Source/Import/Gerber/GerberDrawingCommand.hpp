#pragma once
// One thing a Gerber file draws: a straight stroke of an aperture, or a single
// flash of it. Each command carries its own copy of the aperture that was in use
// when it was read, so later definitions or selections leave it unchanged.

#include <cstddef>
#include <utility>
#include <variant>
#include <vector>

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
    // A circular stroke from the previous position to a new one around the
    // centre, clockwise (G02) or counter-clockwise (G03) in the file's axes; a
    // stroke that ends where it starts is a whole circle.
    struct Arc {
        Coordinate from;
        Coordinate to;
        Coordinate center;
        bool clockwise = true;
        GerberApertureTemplate apertureTemplate;
    };
    // A filled area: the closed contour of a region (G36/G37), arcs already
    // turned into short straight edges.
    struct Region {
        std::vector<Coordinate> outline;
    };
    using Kind = std::variant<Line, Flash, Arc, Region>;

    static GerberDrawingCommand line(const Coordinate& from, const Coordinate& to,
                                     const GerberApertureTemplate& apertureTemplate) {
        return GerberDrawingCommand(Line{from, to, apertureTemplate});
    }
    static GerberDrawingCommand flash(const Coordinate& location, const GerberApertureTemplate& apertureTemplate) {
        return GerberDrawingCommand(Flash{location, apertureTemplate});
    }

    static GerberDrawingCommand arc(const Coordinate& from, const Coordinate& to, const Coordinate& center,
                                    bool clockwise, const GerberApertureTemplate& apertureTemplate) {
        return GerberDrawingCommand(Arc{from, to, center, clockwise, apertureTemplate});
    }
    static GerberDrawingCommand region(std::vector<Coordinate> outline) {
        return GerberDrawingCommand(Region{std::move(outline)});
    }

    explicit GerberDrawingCommand(Kind kind) : kind_(std::move(kind)) {}

    const Kind& kind() const { return kind_; }
    Kind& kind() { return kind_; }

    const Line* asLine() const { return std::get_if<Line>(&kind_); }
    const Flash* asFlash() const { return std::get_if<Flash>(&kind_); }
    const Arc* asArc() const { return std::get_if<Arc>(&kind_); }
    const Region* asRegion() const { return std::get_if<Region>(&kind_); }

    // The angle in radians the arc sweeps from its start, positive counter-clockwise.
    static double sweep(const Arc& arc);

    // The same command moved by the offset (a copy of step and repeat).
    GerberDrawingCommand translated(const Coordinate& offset) const;
    // The most items the command can become: one for a stroke or a standard
    // flash, one per shape of a macro flash, one per outline point of a region.
    std::size_t itemCountBound() const;

    // The same command with every y negated: its mirror image about the x axis.
    GerberDrawingCommand mirroredInY() const;

    // The box of the command's coordinates: both ends of a line, the location of a
    // flash, the curve of an arc, the outline of a region. The aperture never
    // widens it (neither a line's stroke width nor the extent of a flashed aperture).
    Limits limits() const;

private:
    Kind kind_;
};

} // namespace VeltranePatterns
