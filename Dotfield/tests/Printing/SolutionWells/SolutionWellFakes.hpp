#pragma once
// Stand-ins for the solution wells' logic tests: a robot whose moves arrive at
// once, a sleeper and a spray that only record, all into one log, so a test
// reads the order of visits, dwells and sprays. The robot's plate pitch is
// the DropwrightIIb's.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSpraying.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield::testing {

using VeltranePatterns::Coordinate;

struct WellLog {
    std::vector<std::string> events;
    double sleptSeconds = 0.0;

    std::vector<std::string> starting(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const auto& event : events) {
            if (event.starts_with(prefix)) {
                found.push_back(event);
            }
        }
        return found;
    }
};

// Logs "at (x, y, z)" where each move ends (not its travel legs), "manual"
// and "pattern" for the speed sets, "read" for a position reading.
class ArrivingWellRobot final : public Robot {
  public:
    static constexpr double travelHeight = 60000.0;
    static constexpr double platePitch = 160060.0;

    ArrivingWellRobot(ConstructionKey key, std::shared_ptr<WellLog> log)
        : Robot(key, std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{})), log_(std::move(log)) {
        setCoordinateUpdateObserver([this](const Coordinate& at) {
            if (std::exchange(reading_, false)) {
                return;
            }
            if (at.z != travelHeight) {
                log_->events.push_back("at " + at.description());
            }
        });
    }

    Coordinate minimumMotorPosition() const override { return {-1e9, -1e9, -1e9}; }
    Coordinate maximumMotorPosition() const override { return {1e9, 1e9, 1e9}; }
    double convertPositionToMotorCoordinateSpaceInX(double position) override { return position; }
    double convertPositionToMotorCoordinateSpaceInY(double position) override { return position; }
    double convertPositionToMotorCoordinateSpaceInZ(double position) override { return position; }
    void moveMotor(MotorPosition, double) override {}
    void moveXandYMotorsToPosition(double, double) override {}
    AxisFlags checkIfAxesAreMoving(bool, bool, bool, bool) override { return {}; }
    void haltMovement() override {}
    Coordinate readCurrentPosition() override {
        log_->events.push_back("read");
        reading_ = true;
        return currentCoordinate();
    }
    void useManualPositioningMovementParameters() override { log_->events.push_back("manual"); }
    void usePatternPrintingMovementParameters() override { log_->events.push_back("pattern"); }
    Coordinate offsetForA1WellOfPlateNumber(std::uint64_t plateNumber) override {
        return {0.0, static_cast<double>(plateNumber) * platePitch, 0.0};
    }

  private:
    std::shared_ptr<WellLog> log_;
    // The position a reading stores is no arrival.
    bool reading_ = false;
};

// Logs "dwell <seconds>".
class RecordingSleeper final : public Sleeper {
  public:
    explicit RecordingSleeper(std::shared_ptr<WellLog> log) : log_(std::move(log)) {}
    using Sleeper::sleep;
    void sleep(Clock::Duration duration) override {
        const double seconds = std::chrono::duration<double>(duration).count();
        log_->sleptSeconds += seconds;
        log_->events.push_back("dwell " + Zovudidova::formatDouble(seconds));
    }

  private:
    std::shared_ptr<WellLog> log_;
};

// Logs "spray <seconds>".
inline WellSpray recordingSpray(std::shared_ptr<WellLog> log) {
    return [log](const Zovudidova::Duration& duration) {
        const double seconds = duration.value(Zovudidova::TimeUnit::seconds);
        log->sleptSeconds += seconds;
        log->events.push_back("spray " + Zovudidova::formatDouble(seconds));
    };
}

// A custom well at the coordinate: plate 0, unlimited, 10 s to load, 20 s to
// empty, no rinse cycles, no rinse or waste well.
inline SolutionWell customWell(const std::string& name, const Coordinate& at) {
    return SolutionWell{name,
                        SolutionLocation::CustomLocation{at},
                        0,
                        SolutionReloadQuantity::Unlimited{},
                        Zovudidova::seconds(10.0),
                        0,
                        std::nullopt,
                        std::nullopt,
                        Zovudidova::seconds(20.0)};
}

} // namespace Dotfield::testing
