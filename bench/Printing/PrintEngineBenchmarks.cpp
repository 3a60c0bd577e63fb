// The printing engine's own cost per item: a whole print of many points or
// lines against a robot whose moves arrive at once and electronics that do
// nothing, so what is measured is the engine (corrections, travel rule,
// questions, modes, item dispatch) and not the motion. "per item" is the
// time of one item.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Printing/Engine/PrintPattern.hpp"
#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace {

using namespace Dotfield;
using VeltranePatterns::Coordinate;

class InstantRobot final : public Robot {
  public:
    explicit InstantRobot(ConstructionKey key)
        : Robot(key, std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{})) {}
    Coordinate minimumMotorPosition() const override { return {-1e9, -1e9, -1e9}; }
    Coordinate maximumMotorPosition() const override { return {1e9, 1e9, 1e9}; }
    double convertPositionToMotorCoordinateSpaceInX(double position) override { return position; }
    double convertPositionToMotorCoordinateSpaceInY(double position) override { return position; }
    double convertPositionToMotorCoordinateSpaceInZ(double position) override { return position; }
    void moveMotor(MotorPosition, double) override {}
    void moveXandYMotorsToPosition(double, double) override {}
    AxisFlags checkIfAxesAreMoving(bool, bool, bool, bool) override { return {}; }
    void useManualPositioningMovementParameters() override {}
    void usePatternPrintingMovementParameters() override {}
    void drawLineToCoordinate(const Coordinate& coordinate, const std::shared_ptr<SurfaceTopographyMap>&,
                              std::optional<double>, std::optional<double>) override {
        setCurrentCoordinate(coordinate);
    }
};

class IdleElectronics final : public PrintingElectronics {
  public:
    IdleElectronics() { poll.resume(); }
    DispenserConnectionStatus checkDispenserStatus() override {
        return DispenserConnectionStatus::connectedAndOffSurface;
    }
    bool dispenserIsMiscalibrated() override { return false; }
    RepeatingTimer& statusPollTimer() override { return poll; }
    void startDispensing() override {}
    void stopDispensing() override {}
    void dispense(const Zovudidova::Duration&) override {}
    void spray(const Zovudidova::Duration&) override {}
    void startSpraying() override {}
    void stopSpraying() override {}
    void dwell(const Zovudidova::Duration&) override {}

    RepeatingTimer poll;
};

VeltranePatterns::Pattern patternOf(std::vector<VeltranePatterns::PatternItemPtr> items) {
    std::vector<VeltranePatterns::SolutionLayer> layers;
    layers.emplace_back(std::move(items), "A");
    return VeltranePatterns::Pattern(Zovudidova::DistanceUnit::microns, 1.0, 1.0, 100.0, std::nullopt, std::nullopt,
                                     std::nullopt, std::nullopt, false, false, false, std::move(layers), {}, {});
}

// Items on a 100-wide grid, 50 µm apart.
VeltranePatterns::Pattern points(std::size_t count) {
    std::vector<VeltranePatterns::PatternItemPtr> items;
    for (std::size_t i = 0; i < count; ++i) {
        items.push_back(std::make_shared<VeltranePatterns::Point>(
            Coordinate{static_cast<double>(i % 100) * 50.0, static_cast<double>(i / 100) * 50.0, 0.0},
            Zovudidova::milliseconds(10.0)));
    }
    return patternOf(std::move(items));
}

VeltranePatterns::Pattern lines(std::size_t count) {
    std::vector<VeltranePatterns::PatternItemPtr> items;
    for (std::size_t i = 0; i < count; ++i) {
        const double y = static_cast<double>(i) * 50.0;
        items.push_back(std::make_shared<VeltranePatterns::Line>(Coordinate{0.0, y, 0.0}, Coordinate{2000.0, y, 0.0}));
    }
    return patternOf(std::move(items));
}

void printWhole(benchmark::State& state, const VeltranePatterns::Pattern& pattern) {
    const auto robot = Robot::make<InstantRobot>();
    IdleElectronics electronics;
    for (auto _ : state) {
        robot->setCurrentCoordinate({10000.0, 10000.0, 5000.0});
        printPattern({.pattern = pattern,
                      .patternStartingPoint = {10000.0, 10000.0, 5000.0},
                      .robot = *robot,
                      .surfaceCant = {0.001, 0.0},
                      .featureWidth = 100.0,
                      .shouldCancelOperation = [](int, int, double) { return false; }},
                     electronics);
    }
    const auto items = static_cast<double>(pattern.solutionLayers().front().patternItems().size());
    state.counters["per item"] =
        benchmark::Counter(items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_PrintPoints(benchmark::State& state) {
    printWhole(state, points(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_PrintPoints)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_PrintLines(benchmark::State& state) {
    printWhole(state, lines(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_PrintLines)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace
