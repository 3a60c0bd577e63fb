#pragma once
// Short texts of pattern items for comparing import results in tables:
// "Line (0, 0, 0) (100, 0, 0)", "Arc (50, -50, 0) r2 -180..-90 cw". Numbers are
// rounded to six decimals and angles given in degrees whatever their unit.

#include <cmath>
#include <string>
#include <vector>

#include "VeltranePatterns/Source/Items/Arc.hpp"
#include "VeltranePatterns/Source/Items/ArcFill.hpp"
#include "VeltranePatterns/Source/Items/Line.hpp"
#include "VeltranePatterns/Source/Items/Point.hpp"
#include "VeltranePatterns/Source/Items/Polygon.hpp"
#include "VeltranePatterns/tests/DXF/DXFTestSupport.hpp"
#include "Zovudidova/NumberText.hpp"

namespace DXFTestSupport {

inline std::string num(double value) {
    double rounded = std::round(value * 1e6) / 1e6;
    if (rounded == 0.0) {
        rounded = 0.0; // no "-0"
    }
    std::string text = Zovudidova::formatDouble(rounded);
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) {
        text.resize(text.size() - 2);
    }
    return text;
}

inline std::string num(const VeltranePatterns::Coordinate& c) {
    return "(" + num(c.x) + ", " + num(c.y) + ", " + num(c.z) + ")";
}

inline std::string deg(const VeltranePatterns::Angle& a) { return num(a.value(Zovudidova::AngleUnit::degrees)); }

inline std::string dir(VeltranePatterns::RotationalDirection d) {
    return d == VeltranePatterns::RotationalDirection::clockwise ? "cw" : "ccw";
}

inline std::string describe(const VeltranePatterns::PatternItemPtr& item) {
    using namespace VeltranePatterns;
    if (const auto line = patternItemAs<Line>(item)) {
        return "Line " + num(line->startingPoint()) + " " + num(line->endingPoint());
    }
    if (const auto arc = patternItemAs<Arc>(item)) {
        return "Arc " + num(arc->centerPoint()) + " r" + num(arc->radius()) + " " + deg(arc->startAngle()) + ".." +
               deg(arc->endAngle()) + " " + dir(arc->direction());
    }
    if (const auto fill = patternItemAs<ArcFill>(item)) {
        return "ArcFill " + num(fill->centerPoint()) + " r" + num(fill->insideRadius()) + "-" +
               num(fill->outsideRadius()) + " " + deg(fill->startAngle()) + ".." + deg(fill->endAngle()) + " " +
               dir(fill->direction());
    }
    if (const auto point = patternItemAs<Point>(item)) {
        return "Point " + num(point->location()) + " " +
               num(point->duration().value(Zovudidova::TimeUnit::milliseconds)) + "ms";
    }
    if (const auto polygon = patternItemAs<Polygon>(item)) {
        std::string text = "Polygon";
        for (const Coordinate& p : polygon->points()) {
            text += " " + num(p);
        }
        return text;
    }
    return "other item";
}

// The groups of a hatch loop of four line edges around a square.
inline Groups square(double x0, double y0, double size) {
    const double x1 = x0 + size, y1 = y0 + size;
    const auto s = [](double v) { return num(v); };
    return {{72, "1"}, {10, s(x0)}, {20, s(y0)}, {11, s(x1)}, {21, s(y0)}, {72, "1"}, {10, s(x1)}, {20, s(y0)},
            {11, s(x1)}, {21, s(y1)}, {72, "1"}, {10, s(x1)}, {20, s(y1)}, {11, s(x0)}, {21, s(y1)}, {72, "1"},
            {10, s(x0)}, {20, s(y1)}, {11, s(x0)}, {21, s(y0)}};
}

// A solid HATCH record with one edge-defined boundary path per loop.
inline Groups hatchOf(const std::string& layer, const std::vector<Groups>& loops) {
    Groups hatch{{0, "HATCH"}, {8, layer}, {70, "1"}, {91, std::to_string(loops.size())}};
    for (const Groups& loop : loops) {
        hatch.push_back({92, "1"});
        hatch.push_back({93, "4"});
        hatch.insert(hatch.end(), loop.begin(), loop.end());
        hatch.push_back({97, "0"});
    }
    return hatch;
}

inline std::vector<std::string> describe(const std::vector<VeltranePatterns::PatternItemPtr>& items) {
    std::vector<std::string> texts;
    for (const auto& item : items) {
        texts.push_back(describe(item));
    }
    return texts;
}

} // namespace DXFTestSupport
