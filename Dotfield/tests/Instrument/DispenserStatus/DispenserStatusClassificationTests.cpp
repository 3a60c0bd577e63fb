#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Dotfield/Instrument/DispenserStatus/DispenserStatusClassification.hpp"

namespace Dotfield {
namespace {

using Status = DispenserConnectionStatus;
using Zovudidova::kilohertz;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// Five points at the given frequencies, each with the average and deviation.
DispenserStatistics statistics(double average, double sd, std::array<double, 5> kHz = {400, 400, 400, 400, 400}) {
    DispenserStatistics result{{
        {average, sd, {kilohertz(kHz[0]), 1}},
        {average, sd, {kilohertz(kHz[1]), 1}},
        {average, sd, {kilohertz(kHz[2]), 1}},
        {average, sd, {kilohertz(kHz[3]), 1}},
        {average, sd, {kilohertz(kHz[4]), 1}},
    }};
    return result;
}

TEST(DispenserStatusClassification, DecisionRule) {
    struct Case {
        std::string name;
        DispenserStatusMagnitudes magnitudes;
        DispenserStatistics reference;
        Status expected;
    };
    const auto usual = statistics(400, 10);
    const std::vector<Case> cases{
        {"all below 200", {150, 10, 199, 0, 50}, usual, Status::shortCircuit},
        {"one at 200", {150, 10, 200, 0, 50}, usual, Status::connectedAndOnSurface},
        {"one below 0", {150, 10, 199, -1, 50}, usual, Status::connectedAndOnSurface},
        {"all at the band's edge", {700, 700, 700, 700, 700}, usual, Status::disconnected},
        {"one under the edge", {700, 700, 699, 700, 700}, usual, Status::connectedAndOnSurface},
        {"one at 10000", {700, 700, 700, 700, 10000}, usual, Status::connectedAndOnSurface},
        {"the band follows each point's frequency", {800, 750, 700, 650, 600},
         statistics(400, 10, {200, 300, 400, 500, 600}), Status::disconnected},
        {"below the band at 200 kHz", {799, 750, 700, 650, 600}, statistics(400, 10, {200, 300, 400, 500, 600}),
         Status::connectedAndOnSurface},
        {"at the averages", {400, 400, 400, 400, 400}, usual, Status::connectedAndOffSurface},
        {"one point off by 150", {400, 550, 400, 400, 400}, usual, Status::connectedAndOnSurface},
        {"one point off by 100", {400, 400, 300, 400, 400}, usual, Status::connectedAndMiscalibrated},
        {"small deviations everywhere", {420, 380, 410, 395, 405}, usual, Status::connectedAndOffSurface},
        {"no noise, exact readings", {400, 400, 400, 400, 400}, statistics(400, 0), Status::connectedAndOffSurface},
        {"no noise, one reading off", {400, 400, 400, 400, 400.5}, statistics(400, 0), Status::connectedAndOnSurface},
        {"standard deviation not a number", {400, 400, 400, 400, 400}, statistics(400, nan), Status::connectedAndOffSurface},
        {"infinite standard deviation, reading off", {400, 401, 400, 400, 400}, statistics(400, infinity),
         Status::connectedAndOnSurface},
        {"reading not a number", {400, nan, 400, 400, 400}, usual, Status::connectedAndOnSurface},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(classifyDispenserStatus(c.magnitudes, c.reference), c.expected) << c.name;
    }
}

TEST(DispenserStatusClassification, ProbabilityOfDeviation) {
    const auto usual = statistics(400, 10);
    EXPECT_EQ(probabilityFromDeviation({400, 400, 400, 400, 400}, usual), 0.0);
    EXPECT_NEAR(probabilityFromDeviation({400, 550, 400, 400, 400}, usual), std::erf(1 / std::sqrt(2.0)), 1e-12);
    EXPECT_NEAR(probabilityFromDeviation({400, 400, 300, 400, 400}, usual), 0.495, 0.001);
    // Two independent deviations combine: 1 - (1 - p)^2.
    const double p = std::erf(100 / (150 * std::sqrt(2.0)));
    EXPECT_NEAR(probabilityFromDeviation({300, 400, 400, 400, 500}, usual), 1 - (1 - p) * (1 - p), 1e-12);

    for (double sd : {0.0, -5.0, nan, infinity}) {
        EXPECT_EQ(probabilityFromDeviation({400, 400, 400, 400, 400}, statistics(400, sd)), 0.0) << sd;
        EXPECT_EQ(probabilityFromDeviation({400, 400, 400, 400, 401}, statistics(400, sd)), 1.0) << sd;
    }
}

} // namespace
} // namespace Dotfield
