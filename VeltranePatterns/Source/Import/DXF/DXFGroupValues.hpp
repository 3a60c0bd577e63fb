#pragma once
// Values of the groups of one DXF record, shared by the entity readers: numbers,
// positions collected from their x, y and z groups, layer and flag groups.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFMirror.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFNumbers.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"
#include "VeltranePatterns/Source/Import/ImportNumbers.hpp"

namespace VeltranePatterns::DXFGroupValues {

using Group = DXFParser::DXFGroup;

inline std::optional<double> number(const Group& group) { return readDXFNumber(group.name); }

// A position being collected from its x, y and z groups.
struct PendingPoint {
    std::optional<double> x;
    std::optional<double> y;
    std::optional<double> z;

    // Takes the group when it is one of this position's groups: x under xCode,
    // y under xCode + 10, z under xCode + 20. False for any other group.
    bool take(const Group& group, std::int64_t xCode) {
        if (group.code == xCode) {
            x = number(group);
        } else if (group.code == xCode + 10) {
            y = number(group);
        } else if (group.code == xCode + 20) {
            z = number(group);
        } else {
            return false;
        }
        return true;
    }

    bool isComplete() const { return x.has_value() && y.has_value(); }
    // A missing z is 0.
    Coordinate coordinate() const { return {*x, *y, z.value_or(0.0)}; }
    void clear() { *this = {}; }
    // Appends the point when it has x and y.
    void appendIfComplete(std::vector<Coordinate>& points) const {
        if (isComplete()) {
            points.push_back(coordinate());
        }
    }
};

// The first group 8 names the layer; later ones are ignored.
inline void noteLayer(std::optional<std::string>& layer, const Group& group) {
    if (!layer) {
        layer = group.name;
    }
}

// The last group that reads as an integer wins; others leave the flags alone.
inline void noteFlags(std::int64_t& flags, const Group& group) {
    if (const auto value = readImportInteger(group.name)) {
        flags = *value;
    }
}

// An entity drawn in the plane seen from below (group 230, the z of the
// extrusion direction, negative) lies mirrored in x in the drawing.
inline DXFEntity viewedAlongExtrusion(std::optional<double> extrusionZ, DXFEntity entity) {
    if (extrusionZ && *extrusionZ < 0.0) {
        return flipEntityInX(entity);
    }
    return entity;
}

} // namespace VeltranePatterns::DXFGroupValues
