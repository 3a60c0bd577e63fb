#include <gtest/gtest.h>

#include "Dotfield/Instrument/Relay/Relay.hpp"
#include "Dotfield/Printing/Modes/UVCuring.hpp"

namespace Dotfield {
namespace {

using Kind = UVCuringPatternMode::Kind;

TEST(UVCuringType, TheStoredChoiceBecomesTheCuringOfTheSameNameWithTheRelayOffsetsAndDuration) {
    const auto relay = std::make_shared<Relay>();
    const VeltranePatterns::Coordinate offset{1000.0, 0.0, 500.0};
    struct Case {
        std::optional<std::int64_t> raw;
        std::optional<Kind> kind;
    };
    for (const Case& c : {Case{0, std::nullopt}, Case{1, Kind::whilePrinting}, Case{2, Kind::afterEachSolution},
                          Case{3, Kind::afterPattern}, Case{4, std::nullopt}, Case{-1, std::nullopt},
                          Case{std::nullopt, std::nullopt}}) {
        SCOPED_TRACE(c.raw ? std::to_string(*c.raw) : "unset");
        const std::optional<UVCuringPatternMode> mode = uvCuringPatternMode(c.raw, relay, offset, 3.0);
        ASSERT_EQ(mode.has_value(), c.kind.has_value());
        if (mode) {
            EXPECT_EQ(mode->kind, *c.kind);
            EXPECT_EQ(mode->relay, relay);
            EXPECT_EQ(mode->offset, offset);
            EXPECT_DOUBLE_EQ(mode->duration, 3.0);
        }
    }
    EXPECT_FALSE(uvCuringPatternMode(2, nullptr, offset, 3.0));
}

} // namespace
} // namespace Dotfield
