#include "VeltranePatterns/Source/Import/DXF/DXFOptions.hpp"

#include <span>
#include <string_view>
#include <utility>

namespace VeltranePatterns {

namespace {

using NamedBits = std::pair<std::int64_t, std::string_view>;

// The names of the members whose bits are all set, in ascending bit order, as
// a bracketed list of quoted names; unnamed bits contribute nothing.
std::string describeMembers(std::int64_t rawValue, std::span<const NamedBits> members) {
    std::string text = "[";
    bool first = true;
    for (const auto& [bits, name] : members) {
        if ((rawValue & bits) != bits) {
            continue;
        }
        if (!first) {
            text += ", ";
        }
        first = false;
        text += '"';
        text += name;
        text += '"';
    }
    text += ']';
    return text;
}

constexpr NamedBits polylineNames[] = {
    {1, "ClosedPolyline"}, {2, "CurveFit"},           {4, "SplineFit"},     {8, "PolyLine3D"},
    {16, "PolyLine3DMesh"}, {32, "ClosedPolylineMesh"}, {64, "PolyfaceMesh"}, {128, "LinetypePattern"},
};

constexpr NamedBits splineNames[] = {
    {1, "ClosedSpline"}, {2, "PeriodicSpline"}, {4, "RationalSpline"}, {8, "Planar"}, {16, "Linear"},
};

constexpr NamedBits hatchNames[] = {
    {1, "External"}, {2, "Polyline"}, {4, "Derived"}, {8, "Textbox"}, {16, "Outermost"},
};

} // namespace

std::string DXFPolylineOptions::description() const { return describeMembers(rawValue(), polylineNames); }

std::string DXFSplineOptions::description() const { return describeMembers(rawValue(), splineNames); }

std::string DXFHatchOptions::description() const {
    if (rawValue() == 0) {
        return "Default";
    }
    return describeMembers(rawValue(), hatchNames);
}

} // namespace VeltranePatterns
