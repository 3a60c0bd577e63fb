// The HATCH reader: boundary loops of line and arc edges, and polyline
// boundaries, whose bulged segments become short straight edges along their arcs.

#include <map>
#include <utility>

#include "VeltranePatterns/Source/Import/DXF/BulgeArcs.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFGroupValues.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"

namespace VeltranePatterns {

using namespace DXFGroupValues;

namespace {

constexpr double polylineArcStepRadians = 3.141592653589793 / 36.0;
constexpr std::int64_t polylinePathBit = 2;

// A polyline boundary path being read: its vertices with their bulges.
struct PendingPolylinePath {
    std::vector<std::pair<Coordinate, double>> vertices;
    PendingPoint vertex;
    double bulge = 0.0;

    void completeVertex() {
        if (vertex.isComplete()) {
            vertices.emplace_back(vertex.coordinate(), bulge);
        }
        vertex.clear();
        bulge = 0.0;
    }

    // The closed loop of line edges along the path, each bulged segment
    // following its arc; zero-length segments are left out.
    std::vector<DXFEntity> loop(const std::string& layerName) {
        completeVertex();
        std::vector<DXFEntity> edges;
        const std::size_t n = vertices.size();
        if (n < 2) {
            return edges;
        }
        const auto addEdge = [&](const Coordinate& from, const Coordinate& to) {
            if (!(from == to)) {
                edges.push_back(DXFEntity::Line{layerName, from, to});
            }
        };
        for (std::size_t i = 0; i < n; ++i) {
            const auto& [from, bulge] = vertices[i];
            const Coordinate& to = vertices[(i + 1) % n].first;
            Coordinate previous = from;
            if (bulge != 0.0) {
                for (const Coordinate& point : bulgeArcInnerPoints(from, to, bulge, polylineArcStepRadians)) {
                    addEdge(previous, {point.x, point.y, from.z});
                    previous = {point.x, point.y, from.z};
                }
            }
            addEdge(previous, to);
        }
        return edges;
    }
};

} // namespace

// Boundary loops are read as a small state machine: 72 opens an edge of a type
// (1 line, 2 circular arc), the numbers of other codes collect as edge values,
// and 93 or 97 closes a loop that holds an edge. A path whose type (92) has the
// polyline bit holds vertices instead (10, 20 and a bulge 42 each), up to its
// 97, the next path's 92 or the hatch style (75) that follows the last path.
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

    // Completes the pending edge; a loop that holds an edge is kept and a new
    // one begins with no edge type and no values.
    const auto closeLoop = [&] {
        completeEdge();
        if (!loop.empty()) {
            loops.push_back(std::move(loop));
            loop.clear();
            edgeType.reset();
            edgeValues.clear();
        }
    };
    std::optional<PendingPolylinePath> polylinePath;
    const auto completePolylinePath = [&] {
        if (polylinePath) {
            auto edges = polylinePath->loop(layerNameOr(layer));
            if (!edges.empty()) {
                loops.push_back(std::move(edges));
            }
            polylinePath.reset();
        }
    };

    for (const Group& g : groups) {
        if (polylinePath) {
            switch (g.code) {
            case 10:
                polylinePath->completeVertex();
                polylinePath->vertex.take(g, 10);
                continue;
            case 20: polylinePath->vertex.take(g, 10); continue;
            case 42: polylinePath->bulge = number(g).value_or(0.0); continue;
            case 72:
            case 73:
            case 93: continue; // the bulge flag, the closed flag and the vertex count
            case 92:
            case 97:
            case 75: completePolylinePath(); break;
            default: continue;
            }
        }
        switch (g.code) {
        case 8: noteLayer(layer, g); break;
        case 70: solid = readImportInteger(g.name) == 1; break;
        case 72:
            completeEdge();
            edgeValues.clear();
            edgeType = readImportInteger(g.name);
            break;
        case 91: break;
        case 92:
            pathType = readImportInteger(g.name).value_or(0);
            if ((*pathType & polylinePathBit) != 0) {
                closeLoop();
                edgeType.reset();
                edgeValues.clear();
                polylinePath.emplace();
            }
            break;
        case 93:
        case 97: closeLoop(); break;
        default:
            if (const auto v = number(g)) {
                edgeValues[g.code] = *v;
            } else {
                edgeValues.erase(g.code);
            }
            break;
        }
    }
    completePolylinePath();
    closeLoop();
    return DXFHatch{layerNameOr(layer), solid, DXFHatchOptions(pathType.value_or(0)), std::move(loops)};
}

} // namespace VeltranePatterns
