#include "Dotfield/Platform/ProcessStartTime.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace Dotfield::Platform {
namespace {

// Fields 3 to 21 of a stat line, then the start time (field 22) and the rest.
const std::string fieldsAfterName = "S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 8765432 99 100\n";

TEST(ProcessStartTimeTest, TheStartTimeIsCountedFromTheEndOfTheCommandName) {
    struct Case {
        std::string line;
        std::optional<std::uint64_t> startTime;
    };
    const Case cases[] = {
        {"4242 (dotfield) " + fieldsAfterName, 8765432},
        // A command name may hold spaces and parentheses of its own.
        {"4242 (a) 1 2 (b c)) " + fieldsAfterName, 8765432},
        {"4242 (x)\t" + fieldsAfterName, 8765432},
        {"4242 dotfield " + fieldsAfterName, std::nullopt},
        {"4242 (dotfield) S 1 2 3", std::nullopt},
        {"4242 (dotfield) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 87x5432 99", std::nullopt},
        {"4242 (dotfield) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 -5 99", std::nullopt},
        {"4242 (dotfield) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 99999999999999999999999 9",
         std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(startTimeFromProcessStat(c.line), c.startTime) << c.line;
    }
}

TEST(ProcessStartTimeTest, ThisProcessHasAStartTime) {
    EXPECT_TRUE(currentProcessStartTime().has_value());
}

} // namespace
} // namespace Dotfield::Platform
