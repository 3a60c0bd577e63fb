#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"

using namespace VeltranePatterns;

namespace {
using Outline = std::vector<Coordinate>;

std::vector<double> turnsOf(const Outline& outline) {
    std::vector<double> turns;
    for (const PolygonVertexTurn& entry : polygonVertexTurns(outline)) {
        turns.push_back(entry.turn);
    }
    return turns;
}

Outline reversedOutline(Outline outline) {
    return {outline.rbegin(), outline.rend()};
}

const Outline lShape{{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
} // namespace

TEST(PolygonOutline, LShapeSplitsAtItsReflexVertex) {
    EXPECT_EQ(turnsOf(lShape), (std::vector<double>{-4, -2, -1, 1, -1, -2}));
    EXPECT_EQ(nearestNonAdjacentVertex(3, lShape), 0u);
    EXPECT_EQ(splitPolygonIntoConvexParts(lShape),
              (std::vector<Outline>{{{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}},
                                    {{1, 1, 0}, {1, 2, 0}, {0, 2, 0}, {0, 0, 0}}}));
    EXPECT_EQ(polygonWindingType(lShape), PolygonWindingType::clockwiseConcave);
}

TEST(PolygonOutline, ConvexOutlinesAreTheirOwnPart) {
    const Outline square{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    EXPECT_EQ(splitPolygonIntoConvexParts(square), std::vector<Outline>{square});
    EXPECT_EQ(splitPolygonIntoConvexParts(reversedOutline(square)),
              std::vector<Outline>{reversedOutline(square)});
    EXPECT_EQ(polygonWindingType(square), PolygonWindingType::clockwiseConvex);
    EXPECT_EQ(polygonWindingType(reversedOutline(square)), PolygonWindingType::counterclockwiseConvex);
    EXPECT_EQ(polygonWindingType({}), PolygonWindingType::clockwiseConvex);

    // One vertex on a straight edge: a zero turn always qualifies as the split
    // vertex when every other turn is negative, but not among non-negative turns.
    const Outline withMidpoint{{0, 0, 0}, {5, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    EXPECT_EQ(splitPolygonIntoConvexParts(withMidpoint).size(), 2u);
    EXPECT_EQ(splitPolygonIntoConvexParts(reversedOutline(withMidpoint)),
              std::vector<Outline>{reversedOutline(withMidpoint)});

    EXPECT_TRUE(splitPolygonIntoConvexParts({{0, 0, 0}, {1, 0, 0}}).empty());
    EXPECT_TRUE(splitPolygonIntoConvexParts({{0, 0, 0}, {1, 0, 0}, {0, std::nan(""), 0}}).empty());
}

TEST(PolygonOutline, JaggedOutlineSplitsIntoConvexPartsCoveringEveryVertex) {
    // A comb: a long base with many teeth, which cuts many times.
    Outline comb{{0, 0, 0}};
    const int teeth = 300;
    for (int i = 0; i < teeth; ++i) {
        comb.push_back({2.0 * i + 1, 10, 0});
        comb.push_back({2.0 * i + 2, 1, 0});
    }
    comb.push_back({2.0 * teeth + 1, 0, 0});
    const std::vector<Outline> parts = splitPolygonIntoConvexParts(comb);
    ASSERT_FALSE(parts.empty());
    for (const Outline& part : parts) {
        const PolygonWindingType type = polygonWindingType(part);
        EXPECT_TRUE(type == PolygonWindingType::clockwiseConvex ||
                    type == PolygonWindingType::counterclockwiseConvex);
    }
}

TEST(PolygonOutline, CollinearRemoval) {
    EXPECT_EQ(removeCollinearPolygonPoints({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}),
              (Outline{{0, 0, 0}, {2, 0, 0}}));
    const Outline twoCoincident{{0, 0, 0}, {10, 0, 0}, {10, 0, 0}, {10, 10, 0}};
    EXPECT_EQ(removeCollinearPolygonPoints(twoCoincident), twoCoincident);
    EXPECT_TRUE(removeCollinearPolygonPoints({{3, 3, 0}, {3, 3, 0}, {3, 3, 0}}).empty());
    // A vertex whose direction changes by no more than 0.05 goes.
    EXPECT_EQ(removeCollinearPolygonPoints({{0, 0, 0}, {100, 1, 0}, {200, 0, 0}, {100, 100, 0}}),
              (Outline{{0, 0, 0}, {200, 0, 0}, {100, 100, 0}}));
    EXPECT_EQ(removeCollinearPolygonPoints({{0, 0, 0}, {1, 0, 0}}), (Outline{{0, 0, 0}, {1, 0, 0}}));

    // A finely divided circle, each of whose vertices turns by less than the
    // tolerance, keeps enough of its vertices to stay a circle.
    for (const int vertices : {128, 1000}) {
        Outline circle;
        for (int i = 0; i < vertices; ++i) {
            const double angle = 2 * std::numbers::pi * i / vertices;
            circle.emplace_back(1000 * std::cos(angle), 1000 * std::sin(angle), 0);
        }
        const Outline kept = removeCollinearPolygonPoints(circle);
        EXPECT_GE(kept.size(), 40u) << vertices;
        EXPECT_LT(kept.size(), circle.size()) << vertices;
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_LT(distance(kept[i], kept[(i + 1) % kept.size()]), 200.0) << vertices;
        }
    }
}

TEST(PolygonOutline, StepTableStepsBackToTheShiftedNextEdge) {
    const std::vector<PolygonInsetStep> square =
        insetPolygonOutline({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}, 10);
    ASSERT_EQ(square.size(), 4u);
    EXPECT_EQ(square[0].direction, (Coordinate{1, 0, 0}));
    EXPECT_EQ(square[3].direction, (Coordinate{0, -1, 0}));
    for (const PolygonInsetStep& step : square) {
        EXPECT_NEAR(step.stepBack, 10, 1e-12);
    }
    // A 60-degree corner and a slight one both step back by d / sin(angle).
    const std::vector<PolygonInsetStep> triangle =
        insetPolygonOutline({{0, 0, 0}, {100, 0, 0}, {50, 50 * std::sqrt(3.0), 0}}, 10);
    EXPECT_NEAR(triangle[0].stepBack, 10 / std::sin(std::numbers::pi / 3), 1e-9);
    const double turn = 0.05;
    const std::vector<PolygonInsetStep> slight = insetPolygonOutline(
        {{0, 0, 0}, {100, 0, 0}, {100 + 100 * std::cos(turn), 100 * std::sin(turn), 0}}, 10);
    EXPECT_NEAR(slight[0].stepBack, 10 / std::sin(turn), 1e-6);
    EXPECT_TRUE(insetPolygonOutline({{0, 0, 0}, {1, 0, 0}}, 10).empty());
    // A sharp tip too; a corner without an angle (straight on, or straight
    // back) steps back by the distance itself.
    EXPECT_NEAR(insetPolygonOutline({{0, 0, 0}, {10, 0, 0}, {0, 0.01, 0}}, 10)[0].stepBack, 10 / 0.001, 1e-2);
    EXPECT_EQ(insetPolygonOutline({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, 10)[0].stepBack, 10);
    EXPECT_EQ(insetPolygonOutline({{0, 0, 0}, {10, 0, 0}, {5, 0, 0}}, 10)[0].stepBack, 10);
}
