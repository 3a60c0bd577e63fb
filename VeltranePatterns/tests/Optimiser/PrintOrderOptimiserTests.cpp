#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/Optimiser/PrintOrderOptimiser.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

using namespace VeltranePatterns;

namespace {

PatternItemPtr line(Coordinate from, Coordinate to) {
    return std::make_shared<const Line>(from, to);
}
PatternItemPtr point(Coordinate at) {
    return std::make_shared<const Point>(at, Zovudidova::milliseconds(1));
}

// "i" for input item i placed as it is, "i'" for it reversed.
std::string placement(const std::vector<PatternItemPtr>& input, const std::vector<PatternItemPtr>& output) {
    std::string text;
    for (const PatternItemPtr& item : output) {
        if (!text.empty()) {
            text += ' ';
        }
        bool found = false;
        for (std::size_t i = 0; i < input.size() && !found; ++i) {
            if (input[i] == item) {
                text += std::to_string(i);
                found = true;
            }
        }
        for (std::size_t i = 0; i < input.size() && !found; ++i) {
            if (input[i]->startingCoordinate() ==
                    item->endingCoordinate().value_or(Coordinate{-1e300, 0, 0}) &&
                input[i]->endingCoordinate() == std::optional<Coordinate>(item->startingCoordinate())) {
                text += std::to_string(i) + "'";
                found = true;
            }
        }
        if (!found) {
            text += '?';
        }
    }
    return text;
}

std::string optimised(const std::vector<PatternItemPtr>& input) {
    return placement(input, optimizePatternItemOrderForPrinting(input));
}

} // namespace

TEST(PrintOrderOptimiser, RowsRunInASerpentine) {
    EXPECT_TRUE(optimizePatternItemOrderForPrinting({}).empty());
    // Four rows, minimum y 0, 1e-9, 5 and 9; the second and fourth run right to
    // left, also when a row has a single item.
    const std::vector<PatternItemPtr> items{point({30, 0, 0}),    point({10, 0, 0}), point({10, 5, 0}),
                                            point({20, 5, 0}),    point({7, 9, 0}),  point({3, 9, 0}),
                                            point({100, 1e-9, 0})};
    EXPECT_EQ(optimised(items), "1 0 6 2 3 4 5");
    // A single item, whatever its kind, comes back unchanged.
    for (const PatternItemPtr& item : {line({5, 5, 0}, {0, 0, 0}), point({1, 1, 1}),
                                       PatternItemPtr(std::make_shared<const PatternPause>(1.0))}) {
        EXPECT_EQ(optimizePatternItemOrderForPrinting({item}), std::vector<PatternItemPtr>{item});
    }
}

TEST(PrintOrderOptimiser, ChainsRunEndToStartAndReverseWhereTheFarEndTouches) {
    // A ends where B ends: B is placed reversed after A.
    EXPECT_EQ(optimised({line({0, 0, 0}, {10, 0, 0}), line({20, 0, 0}, {10, 0, 0})}), "0 1'");
    // The second line comes first in its row; its end touches nothing but its
    // start touches the other line: it heads its chain reversed, and the chain
    // continues from its start.
    EXPECT_EQ(optimised({line({0, 0, 0}, {5, 3, 0}), line({0, 0, 0}, {-5, 4, 0})}), "1' 0");
    EXPECT_EQ(optimised({line({0, 0, 0}, {5, 3, 0}), line({-5, 4, 0}, {0, 0, 0})}), "1 0");
    // A chain only takes later items, and differences however small do not touch.
    EXPECT_EQ(optimised({line({0, 0, 0}, {10, 0, 0}), line({10, 1e-12, 0}, {20, 1e-12, 0})}), "0 1");
    // Touching is decided on x and y; an item that differs in z is reversed and
    // the chain continues from its start, where nothing is left to touch.
    EXPECT_EQ(optimised({line({0, 0, 0}, {10, 0, 0}), line({10, 0, 5}, {10, 20, 5}),
                         line({20, 20, 0}, {10, 20, 0})}),
              "0 1' 2");
    // A point starting exactly at the current point ends the chain.
    EXPECT_EQ(optimised({line({0, 0, 0}, {10, 0, 0}), point({10, 0, 0}), line({10, 0, 0}, {10, 10, 0})}),
              "0 1 2");
}

TEST(PrintOrderOptimiser, TiesKeepTheInputOrder) {
    // Items 1 and 3 have equal minimum x in a right-to-left row and keep their
    // input order; of the three items touching (0, 10) the chain takes the
    // earliest in that order, and the rest start later chains.
    const std::vector<PatternItemPtr> items{line({0, 0, 0}, {0, 10, 0}), line({0, 10, 0}, {5, 20, 0}),
                                            line({0, 10, 0}, {-5, 20, 0}), line({0, 10, 0}, {0, 30, 0})};
    EXPECT_EQ(optimised(items), "0 1 3' 2");
    EXPECT_EQ(placement(items, optimizePatternItemOrderForPrinting(items)),
              placement(items, optimizePatternItemOrderForPrinting(items)));
}

TEST(PrintOrderOptimiser, ItemsWithoutNumbersFollowInInputOrder) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<PatternItemPtr> items{point({nan, 0, 0}), line({0, 0, 0}, {10, 0, 0}),
                                            line({10, 0, 0}, {nan, 5, 0}), line({10, 0, 0}, {20, 0, 0}),
                                            point({3, 3, nan})};
    const std::vector<PatternItemPtr> result = optimizePatternItemOrderForPrinting(items);
    ASSERT_EQ(result.size(), items.size());
    EXPECT_EQ(result[0], items[1]);
    EXPECT_EQ(result[1], items[3]);
    EXPECT_EQ(result[2], items[4]);
    EXPECT_EQ(result[3], items[0]);
    EXPECT_EQ(result[4], items[2]);
}

TEST(PrintOrderOptimiser, EveryItemOnceInAGridOfTouchingLines) {
    std::vector<PatternItemPtr> items;
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 20; ++column) {
            const Coordinate a{static_cast<double>(column), static_cast<double>(row), 0};
            items.push_back(row % 3 == 0 ? line(a, a + Coordinate{1, 0, 0})
                                         : line(a + Coordinate{0, 1, 0}, a));
        }
    }
    const std::vector<PatternItemPtr> result = optimizePatternItemOrderForPrinting(items);
    const std::string text = placement(items, result);
    ASSERT_EQ(result.size(), items.size());
    EXPECT_EQ(text.find('?'), std::string::npos);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string name = std::to_string(i);
        const auto occurrences = [&](const std::string& token) {
            std::size_t count = 0;
            for (std::size_t at = 0;
                 (at = (" " + text + " ").find(" " + token + " ", at)) != std::string::npos; ++at) {
                ++count;
            }
            return count;
        };
        EXPECT_EQ(occurrences(name) + occurrences(name + "'"), 1u) << name;
    }
}

TEST(PrintOrderOptimiser, PatternKeepsSettingsLimitsAndLayers) {
    const std::vector<PatternItemPtr> first{line({0, 0, 0}, {10, 0, 0}), line({20, 0, 0}, {10, 0, 0})};
    const std::vector<PatternItemPtr> second{point({5, 5, 5}), point({1, 5, 5})};
    const Pattern pattern(Zovudidova::DistanceUnit::millimeters, 2, 3, 40, std::nullopt, 10.0, std::nullopt,
                          Pattern::XYPair{1, 2}, true, false, true,
                          {SolutionLayer(first, "B"), SolutionLayer(second, "A"), SolutionLayer({}, "")},
                          {-1, -2, -3}, {100, 200, 300});
    const std::shared_ptr<Pattern> optimised = pattern.optimizedForPrinting();
    EXPECT_EQ(optimised->lengthUnit(), Zovudidova::DistanceUnit::millimeters);
    EXPECT_EQ(optimised->xScaleFactor(), 2);
    EXPECT_EQ(optimised->yScaleFactor(), 3);
    EXPECT_EQ(optimised->featureWidth(), 40);
    EXPECT_FALSE(optimised->gridSpacing());
    EXPECT_EQ(optimised->canvasWidth(), 10.0);
    EXPECT_EQ(optimised->canvasUpperLeft(), (Pattern::XYPair{1, 2}));
    EXPECT_TRUE(optimised->continuous());
    EXPECT_TRUE(optimised->stayAtEndOfPatternWhenDone());
    EXPECT_EQ(optimised->minimumLimits(), (Pattern::Triple{-1, -2, -3}));
    EXPECT_EQ(optimised->maximumLimits(), (Pattern::Triple{100, 200, 300}));
    ASSERT_EQ(optimised->solutionLayers().size(), 3u);
    EXPECT_EQ(optimised->solutionLayers()[0].solutionName(), "B");
    EXPECT_EQ(placement(first, optimised->solutionLayers()[0].patternItems()), "0 1'");
    EXPECT_EQ(optimised->solutionLayers()[1].solutionName(), "A");
    EXPECT_EQ(placement(second, optimised->solutionLayers()[1].patternItems()), "1 0");
    EXPECT_TRUE(optimised->solutionLayers()[2].patternItems().empty());
    // The receiver keeps its order.
    EXPECT_EQ(pattern.solutionLayers()[1].patternItems(), second);
}
