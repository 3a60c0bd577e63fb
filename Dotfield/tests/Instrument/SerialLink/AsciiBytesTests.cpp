#include "Dotfield/Instrument/SerialLink/AsciiBytes.hpp"

#include <gtest/gtest.h>

namespace Dotfield {
namespace {

TEST(AsciiBytesTest, GivesTheTextsBytesInOrder) {
    EXPECT_EQ(asciiBytes("S1,2"), (std::vector<std::uint8_t>{'S', '1', ',', '2'}));
    EXPECT_TRUE(asciiBytes("").empty());
    EXPECT_EQ(asciiBytes("\xC2\xB5"), (std::vector<std::uint8_t>{0xC2, 0xB5}));
}

TEST(SanitizedResponseBytesTest, KeepsTheBytesBelow0x80ThatAreNotCarriageReturns) {
    const std::vector<std::uint8_t> reply = {'O', 'K', 0x0D, 0x8F};
    EXPECT_EQ(sanitizedResponseBytes(reply), (std::vector<std::uint8_t>{'O', 'K'}));
    const std::vector<std::uint8_t> mixed = {0x0D, '1', 0xFF, 0x0A, 0x80, '2', 0x7F};
    EXPECT_EQ(sanitizedResponseBytes(mixed), (std::vector<std::uint8_t>{'1', 0x0A, '2', 0x7F}));
    EXPECT_TRUE(sanitizedResponseBytes({}).empty());
}

} // namespace
} // namespace Dotfield
