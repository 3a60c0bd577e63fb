// The region fill tiles an outline with convex pieces: every piece convex,
// together covering each point of the region once and nothing outside it,
// checked on a grid of sample points, with few pieces for outlines that have
// many vertices (at most about twice the fewest possible for a comb).

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"
#include "VeltranePatterns/Source/ToolPaths/RegionFill.hpp"

using namespace VeltranePatterns;

namespace {

using Outline = std::vector<Coordinate>;
constexpr double pi = 3.141592653589793;

double cross(const Coordinate& a, const Coordinate& b, const Coordinate& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

double area(const Outline& p) {
    double twice = 0.0;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        twice += p[j].x * p[i].y - p[i].x * p[j].y;
    }
    return std::fabs(twice) * 0.5;
}

bool isConvex(const Outline& p) {
    bool negative = false, positive = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double turn = cross(p[i], p[(i + 1) % p.size()], p[(i + 2) % p.size()]);
        negative = negative || turn < 0.0;
        positive = positive || turn > 0.0;
    }
    return !(negative && positive);
}

// Even-odd: the edges of a cut-in line, run there and back, cancel out.
bool insideRegion(const Outline& p, double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y > y) != (p[j].y > y) && x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x) {
            inside = !inside;
        }
    }
    return inside;
}

bool insideConvex(const Outline& p, double x, double y) {
    bool negative = false, positive = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double side = cross(p[i], p[(i + 1) % p.size()], {x, y, 0});
        negative = negative || side < 0.0;
        positive = positive || side > 0.0;
    }
    return !(negative && positive);
}

void arcPoints(Outline& out, double cx, double cy, double r, double from, double to, int steps) {
    for (int k = 0; k <= steps; ++k) {
        const double a = from + (to - from) * k / steps;
        out.push_back({cx + r * std::cos(a), cy + r * std::sin(a), 0});
    }
}

// A board with rows by columns of round clearances, each row joined to the
// left edge by a cut-in over the upper halves and back under the lower ones.
Outline pour(int rows, int columns) {
    Outline p{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    for (int row = rows; row >= 1; --row) {
        const double y = row * 10.0 / (rows + 1);
        p.push_back({0, y, 0});
        for (int c = 1; c <= columns; ++c) {
            arcPoints(p, c * 10.0 / (columns + 1), y, 0.7, pi, 0.0, 16);
        }
        for (int c = columns; c >= 1; --c) {
            arcPoints(p, c * 10.0 / (columns + 1), y, 0.7, 2 * pi, pi, 16);
        }
        p.push_back({0, y, 0});
    }
    return p;
}

Outline comb(int teeth) {
    Outline p{{0, 0, 0}, {2.0 * teeth, 0, 0}};
    for (int t = teeth - 1; t >= 0; --t) {
        p.push_back({2.0 * t + 1.5, 1, 0});
        p.push_back({2.0 * t + 1.5, 5, 0});
        p.push_back({2.0 * t + 0.5, 5, 0});
        p.push_back({2.0 * t + 0.5, 1, 0});
    }
    return p;
}

Outline circle(int vertices) {
    Outline p;
    arcPoints(p, 0, 0, 5, 0, 2 * pi * (vertices - 1) / vertices, vertices - 1);
    return p;
}

Outline reversed(Outline p) { return {p.rbegin(), p.rend()}; }

void expectTiling(const Outline& region, const std::vector<Outline>& pieces, const std::string& name) {
    double covered = 0.0;
    for (const Outline& piece : pieces) {
        EXPECT_TRUE(isConvex(piece)) << name;
        EXPECT_LE(piece.size(), maximumRegionPieceVertices) << name;
        covered += area(piece);
    }
    EXPECT_NEAR(covered, area(region), area(region) * 1e-9) << name;
    double minX = region[0].x, maxX = minX, minY = region[0].y, maxY = minY;
    for (const Coordinate& c : region) {
        minX = std::min(minX, c.x), maxX = std::max(maxX, c.x), minY = std::min(minY, c.y), maxY = std::max(maxY, c.y);
    }
    // Sample points at odd fractions, so that none lies on an edge.
    int wrong = 0;
    for (int i = 0; i < 97; ++i) {
        for (int j = 0; j < 89; ++j) {
            const double x = minX + (maxX - minX) * (i + 0.3183) / 97;
            const double y = minY + (maxY - minY) * (j + 0.5772) / 89;
            int holding = 0;
            for (const Outline& piece : pieces) {
                holding += insideConvex(piece, x, y) ? 1 : 0;
            }
            wrong += holding != (insideRegion(region, x, y) ? 1 : 0) ? 1 : 0;
        }
    }
    EXPECT_EQ(wrong, 0) << name;
}

} // namespace

TEST(RegionFill, PiecesTileTheRegionExactly) {
    struct Case {
        std::string name;
        Outline outline;
        std::size_t mostPieces;
    };
    const Case cases[] = {
        {"L shape", {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}}, 2},
        {"comb of 20 teeth", comb(20), 2 * 21},
        {"comb of 20 teeth, clockwise", reversed(comb(20)), 2 * 21},
        {"circle of 2000 vertices", circle(2000), 5},
        {"pour with 3 by 4 clearances", pour(3, 4), 12 * 32},
        {"pour with 3 by 4 clearances, clockwise", reversed(pour(3, 4)), 12 * 32},
    };
    for (const Case& c : cases) {
        const auto pieces = convexPiecesOfRegion(c.outline);
        expectTiling(c.outline, pieces, c.name);
        EXPECT_LE(pieces.size(), c.mostPieces) << c.name;
    }
}

TEST(RegionFill, PiecesKeepTheOutlinesDirectionAndFirstPiecesStartAtItsStart) {
    const Outline l{{0, 0, 0}, {2, 0, 0}, {2, -1, 0}, {1, -1, 0}, {1, -2, 0}, {0, -2, 0}};
    EXPECT_EQ(convexPiecesOfRegion(l), (std::vector<Outline>{{{0, 0, 0}, {2, 0, 0}, {2, -1, 0}, {1, -1, 0}},
                                                             {{1, -1, 0}, {1, -2, 0}, {0, -2, 0}, {0, 0, 0}}}));
}

TEST(RegionFill, OutlinesItCannotTileFallBackToTheConvexSplit) {
    const Outline bowTie{{0, 0, 0}, {2, 2, 0}, {2, 0, 0}, {0, 2, 0}};
    const Outline line{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    const Outline notANumber{{0, 0, 0}, {1, 0, 0}, {std::nan(""), 1, 0}};
    for (const Outline& outline : {bowTie, line, notANumber, Outline{}}) {
        EXPECT_EQ(convexPiecesOfRegion(outline), splitPolygonIntoConvexParts(outline));
    }
}
