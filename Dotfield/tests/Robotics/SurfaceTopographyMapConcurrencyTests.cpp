#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"

namespace Dotfield {
namespace {

// The topography window adds points on one thread while a print reads heights
// on another: every answer is either no height or one the finished rows give.
TEST(SurfaceTopographyMapConcurrency, ReadersSeeWholePointsWhileOneWriterAdds) {
    constexpr int size = 40;
    SurfaceTopographyMap map;
    map.addPoint({0, 0, 0});
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int y = 0; y < size; ++y) {
            for (int x = y == 0 ? 1 : 0; x < size; ++x) {
                map.addPoint({x * 100.0, y * 100.0, 7.0});
            }
        }
        writing = false;
    });
    std::vector<std::thread> readers;
    std::atomic<int> wrongHeights{0};
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&, r] {
            do {
                for (int k = 0; k < 200; ++k) {
                    const double x = (k * 37 + r * 11) % (size * 100);
                    const double y = (k * 53 + r * 7) % (size * 100);
                    const auto height = map.height(x, y);
                    if (height && (*height < -1e-9 || *height > 7.0 + 1e-9)) {
                        ++wrongHeights;
                    }
                    (void)map.xGridSpacing();
                    (void)map.maximumY();
                }
            } while (writing);
        });
    }
    writer.join();
    for (auto& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(wrongHeights, 0);
    EXPECT_EQ(map.grid().size(), static_cast<std::size_t>(size));
    const auto height = map.height(1234, 2345);
    ASSERT_TRUE(height.has_value());
    EXPECT_DOUBLE_EQ(*height, 7.0);
}

} // namespace
} // namespace Dotfield
