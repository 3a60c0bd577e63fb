#include "Dotfield/Robotics/AsciiBytes.hpp"

#include <gtest/gtest.h>

namespace Dotfield {
namespace {

TEST(AsciiBytesTest, GivesTheTextsBytesInOrder) {
    EXPECT_EQ(asciiBytes("S1,2"), (std::vector<std::uint8_t>{'S', '1', ',', '2'}));
    EXPECT_TRUE(asciiBytes("").empty());
    EXPECT_EQ(asciiBytes("\xC2\xB5"), (std::vector<std::uint8_t>{0xC2, 0xB5}));
}

} // namespace
} // namespace Dotfield
