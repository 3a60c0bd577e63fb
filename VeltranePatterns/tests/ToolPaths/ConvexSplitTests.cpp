// The convex split against the plain statement of its rules: recompute the
// turns of every part, scan for the split vertex and for its nearest
// non-adjacent vertex, and copy both parts at every cut.
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"

using namespace VeltranePatterns;

namespace {

using Outline = std::vector<Coordinate>;

std::vector<Outline> referenceSplit(const Outline& outline) {
    const std::size_t n = outline.size();
    if (n < 3) {
        return {};
    }
    std::size_t negative = 0;
    std::size_t nonNegative = 0;
    const std::vector<PolygonVertexTurn> turns = polygonVertexTurns(outline);
    for (const PolygonVertexTurn& entry : turns) {
        negative += entry.turn < 0.0 ? 1 : 0;
        nonNegative += entry.turn >= 0.0 ? 1 : 0;
    }
    if (negative == 0 || nonNegative == 0) {
        return {outline};
    }
    if (n == 3) {
        return {};
    }
    std::size_t r = n;
    for (std::size_t i = 0; i < n && r == n; ++i) {
        if (nonNegative < negative ? turns[i].turn >= 0.0 : turns[i].turn <= 0.0) {
            r = i;
        }
    }
    if (r == n) {
        return {};
    }
    const std::size_t t = nearestNonAdjacentVertex(r, outline);
    const std::size_t lo = std::min(r, t);
    const std::size_t hi = std::max(r, t);
    const Outline first(outline.begin() + static_cast<std::ptrdiff_t>(lo),
                        outline.begin() + static_cast<std::ptrdiff_t>(hi) + 1);
    Outline second(outline.begin() + static_cast<std::ptrdiff_t>(hi), outline.end());
    second.insert(second.end(), outline.begin(), outline.begin() + static_cast<std::ptrdiff_t>(lo) + 1);
    std::vector<Outline> parts = referenceSplit(first);
    for (Outline& part : referenceSplit(second)) {
        parts.push_back(std::move(part));
    }
    return parts;
}

} // namespace

TEST(ConvexSplit, MatchesThePlainRulesOnRandomOutlines) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 400; ++trial) {
        const int vertices = 4 + static_cast<int>(unit(random) * 40);
        Outline outline;
        for (int i = 0; i < vertices; ++i) {
            const double angle = 2 * std::numbers::pi * i / vertices;
            // Coarse radii on a grid give equal distances, zero turns and
            // repeated points, where the tie rules decide.
            const double radius = trial % 3 == 0 ? 1 + std::floor(unit(random) * 4) : 10 + unit(random) * 90;
            outline.emplace_back(std::round(radius * std::cos(angle)), std::round(radius * std::sin(angle)),
                                 trial % 5 == 0 ? std::floor(unit(random) * 3) : 0.0);
        }
        if (trial % 2 == 1) {
            outline = Outline(outline.rbegin(), outline.rend());
        }
        ASSERT_EQ(splitPolygonIntoConvexParts(outline), referenceSplit(outline)) << "trial " << trial;
    }
}

TEST(ConvexSplit, MatchesThePlainRulesOnAComb) {
    Outline comb{{0, 0, 0}};
    for (int i = 0; i < 200; ++i) {
        comb.push_back({2.0 * i + 1, 10, 0});
        comb.push_back({2.0 * i + 2, 1, 0});
    }
    comb.push_back({401, 0, 0});
    EXPECT_EQ(splitPolygonIntoConvexParts(comb), referenceSplit(comb));
    const Outline reversed(comb.rbegin(), comb.rend());
    EXPECT_EQ(splitPolygonIntoConvexParts(reversed), referenceSplit(reversed));
}
