// The preview's grid index answers every layer under an area, in drawing
// order and once, and keeps layers beyond the view in its border cells.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Printing/UI/PreviewLayerIndex.hpp"

namespace {

using Dotfield::PreviewLayerIndex;

TEST(PreviewLayerIndex, AnswersTheLayersUnderAnAreaInDrawingOrder) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<QRectF> rects{
        {0, 0, 10, 10},        // 0: top left
        {100, 100, 40, 40},    // 1: spans several cells
        {5, 5, 10, 10},        // 2: overlaps 0
        {-500, -500, 10, 10},  // 3: beyond the view, top left
        {190, 97, 5, 2},       // 4: bottom right corner
        {nan, nan, 1, 1},      // 5: no place at all
    };
    PreviewLayerIndex index;
    index.rebuild(rects, {200, 100});
    struct Case {
        QRectF area;
        std::vector<std::uint32_t> mustInclude;
        std::vector<std::uint32_t> mustExclude;
    };
    for (const Case& c : {Case{{2, 2, 2, 2}, {0, 2, 3}, {1, 4}}, Case{{120, 120, 2, 2}, {1}, {0, 2, 3, 4}},
                          Case{{1000, 1000, 1, 1}, {4}, {0, 2}}}) {
        const auto found = index.candidates(c.area);
        EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
        EXPECT_EQ(std::adjacent_find(found.begin(), found.end()), found.end());
        for (const auto position : c.mustInclude) {
            EXPECT_NE(std::find(found.begin(), found.end(), position), found.end()) << position;
        }
        for (const auto position : c.mustExclude) {
            EXPECT_EQ(std::find(found.begin(), found.end(), position), found.end()) << position;
        }
    }
    EXPECT_TRUE(PreviewLayerIndex().candidates({0, 0, 10, 10}).empty());
}

} // namespace
