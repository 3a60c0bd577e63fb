// The HATCH reader: boundary loops of line and arc edges.

#include <map>
#include <utility>

#include "VeltranePatterns/Source/Import/DXF/DXFGroupValues.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"

namespace VeltranePatterns {

using namespace DXFGroupValues;

// Boundary loops are read as a small state machine: 72 opens an edge of a type
// (1 line, 2 circular arc), the numbers of other codes collect as edge values,
// and 93 or 97 closes a loop that holds an edge. Polyline boundary paths give
// no edges, since their vertices are not values of a line or arc edge.
std::optional<DXFHatch> DXFParser::readHatch(std::span<const DXFGroup> groups) const {
    std::optional<std::string> layer;
    bool solid = false;
    std::optional<std::int64_t> pathType;
    std::optional<std::int64_t> edgeType;
    // Ordered by code, so that a hatch of many distinct codes stays linear-logarithmic.
    std::map<std::int64_t, double> edgeValues;
    std::vector<DXFEntity> loop;
    std::vector<std::vector<DXFEntity>> loops;

    const auto value = [&](std::int64_t code) -> std::optional<double> {
        const auto found = edgeValues.find(code);
        return found != edgeValues.end() ? std::optional<double>(found->second) : std::nullopt;
    };
    const auto completeEdge = [&] {
        if (!edgeType) {
            return;
        }
        const auto x = value(10), y = value(20);
        if (*edgeType == 1) {
            const auto endX = value(11), endY = value(21);
            if (x && y && endX && endY) {
                loop.push_back(DXFEntity::Line{layerNameOr(layer),
                                               {*x, *y, value(30).value_or(0.0)},
                                               {*endX, *endY, value(31).value_or(0.0)}});
            }
        } else if (*edgeType == 2) {
            const auto radius = value(40), start = value(50), end = value(51);
            if (x && y && radius && start && end) {
                loop.push_back(DXFEntity::Arc{layerNameOr(layer),
                                              {*x, *y, value(30).value_or(0.0)},
                                              *radius,
                                              Zovudidova::degrees(*start),
                                              Zovudidova::degrees(*end)});
            }
        }
    };

    for (const Group& g : groups) {
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        case 70: solid = readImportInteger(g.name) == 1; break;
        case 72:
            completeEdge();
            edgeValues.clear();
            edgeType = readImportInteger(g.name);
            break;
        case 91: break;
        case 92: pathType = readImportInteger(g.name).value_or(0); break;
        case 93:
        case 97:
            completeEdge();
            if (!loop.empty()) {
                loops.push_back(std::move(loop));
                loop.clear();
                edgeType.reset();
                edgeValues.clear();
            }
            break;
        default:
            if (const auto v = number(g)) {
                edgeValues[g.code] = *v;
            } else {
                edgeValues.erase(g.code);
            }
            break;
        }
    }
    completeEdge();
    if (!loop.empty()) {
        loops.push_back(std::move(loop));
    }
    return DXFHatch{layerNameOr(layer), solid, DXFHatchOptions(pathType.value_or(0)), std::move(loops)};
}

} // namespace VeltranePatterns
