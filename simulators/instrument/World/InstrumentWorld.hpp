#pragma once
// The world of the simulated instrument, shared by every simulated device:
// the positioner's three axes, the surface under the dispenser, and the record
// of what the dispenser and the UV lamp did.
//
// Axes: positions in microns in the positioner's own frame, from the
// bottom of each axis's travel (0 unless configured) to its top; Z grows upwards, away from the surface. A move runs a
// trapezoid (or triangle) profile at the commanded velocity and acceleration
// from the position the axis is at; a move given to an axis that is still
// moving starts afresh from where it is. Positions are computed from the
// profile whenever asked, on the world's clock. An axis that would leave its
// travel stops at the end of it (the hard stop) and is faulted, as is one that
// runs into an obstruction a test placed; a faulted axis refuses moves until
// its fault is cleared. Homing runs every axis to its home switch; a world
// made unhomed refuses moves of an axis until it has been homed. Halting stops
// an axis at once where it is.
//
// Surface: the tip touches it when it is at most contactTolerance above it;
// the deepest press of the tip below it is kept. The electronics and the
// relay box report their outputs here (see WorldAttachments.hpp), and the
// world records each drive of the dispenser with the path of the tip and each
// UV exposure.
//
// Thread-safe: peers call it from the bus's threads, tests from their own.
// It never calls out of itself while it holds its lock.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "simulators/instrument/World/AxisProfile.hpp"
#include "simulators/instrument/World/AxisTrack.hpp"
#include "simulators/instrument/World/SimulatedSurface.hpp"
#include "simulators/instrument/World/WorldClock.hpp"
#include "simulators/instrument/World/WorldRecords.hpp"

namespace Simulators {

enum class WorldAxis { x = 0, y = 1, z = 2 };

struct WorldConfiguration {
    // The travel of each axis: positions travelFrom to this, µm.
    WorldPoint travel{300000.0, 300000.0, 90000.0};
    WorldPoint travelFrom{};
    // Where the home switches sit; unset: X and Y at the bottom of their
    // travel, Z at the top.
    std::optional<WorldPoint> homeSwitches{};
    // Where the axes are at the start; unset: at the home switches.
    std::optional<WorldPoint> start{};
    // False: every axis needs homing before it moves.
    bool homed = true;
    double homingVelocity = 20000.0;      // µm/s
    double homingAcceleration = 100000.0; // µm/s²
    // No surface: nothing under the tip to touch.
    std::optional<SimulatedSurface> surface{};
    // Unset: real time.
    std::shared_ptr<WorldClock> clock{};
};

struct AxisStatus {
    double position = 0.0;
    bool moving = false;
    bool faulted = false;
    bool homed = true;
    bool homing = false; // a homing move is running
    std::chrono::nanoseconds at{0}; // the world time all this holds for
};

struct AxisMove {
    WorldAxis axis = WorldAxis::x;
    double target = 0.0;       // µm
    double velocity = 0.0;     // µm/s, greater than 0
    double acceleration = 0.0; // µm/s², greater than 0
};

// Where an axis following a track is at a world time.
struct TrackPoint {
    std::chrono::nanoseconds at{0};
    double position = 0.0; // µm
};

class InstrumentWorld {
  public:
    // How close above the surface still counts as touching it, µm.
    static constexpr double contactTolerance = 0.5;

    enum class MoveResult {
        started,
        invalid,  // a target, velocity or acceleration that is not a finite number, or not above 0
        faulted,  // an axis is faulted
        notHomed, // an axis needs homing
    };

    explicit InstrumentWorld(WorldConfiguration configuration = {});
    InstrumentWorld(const InstrumentWorld&) = delete;
    InstrumentWorld& operator=(const InstrumentWorld&) = delete;

    std::chrono::nanoseconds now() const { return clock_->now(); }
    const std::shared_ptr<WorldClock>& clock() const { return clock_; }
    const WorldPoint& travel() const { return travel_; }
    const WorldPoint& travelFrom() const { return travelFrom_; }
    const WorldPoint& homeSwitches() const { return homeSwitches_; }

    // ---- Axes -----------------------------------------------------------------

    // Starts the moves at one instant, all or none: nothing moves unless every
    // one of them may.
    MoveResult moveAxes(const std::vector<AxisMove>& moves);
    MoveResult moveAxis(const AxisMove& move) { return moveAxes({move}); }
    // Runs the axis from where it is now through the points in order, in a
    // straight line of position over time from each to the next, reaching
    // each at its time (at once for a point not later than the one before);
    // points not after now are passed over. The axis stands at the last
    // point afterwards. Hard stops and obstructions stop it as they stop a
    // move. Refused for a position that is not a finite number, as a move is.
    MoveResult followTrack(WorldAxis axis, const std::vector<TrackPoint>& track);
    // Runs every axis to its home switch at the homing velocity and
    // acceleration; each is homed when it arrives there. Refused while an
    // axis is faulted.
    MoveResult home();
    // The same for one axis alone (a controller that homes its motors one by
    // one); refused while that axis is faulted.
    MoveResult homeAxis(WorldAxis axis);
    // The same at the controller's own velocity and acceleration (invalid
    // unless both are positive finite numbers).
    MoveResult homeAxis(WorldAxis axis, double velocity, double acceleration);
    // Runs one axis towards an end of its travel (the top when
    // towardsTravel, else the bottom), homed or not: a controller's run onto its limit
    // switch. It stops faulted on the hard stop there, or on an obstruction
    // before it. Refused while the axis is faulted.
    MoveResult runAxisToEnd(WorldAxis axis, bool towardsTravel, double velocity, double acceleration);
    // Stops every axis at once where it is (a homing move too: that axis
    // stays unhomed).
    void halt();
    // Stops one axis at once where it is.
    void haltAxis(WorldAxis axis);
    // Clears the axis's fault; answers whether it was faulted.
    bool clearFault(WorldAxis axis);

    AxisStatus axis(WorldAxis axis) const;
    WorldPoint tipPosition() const;
    bool needsHoming() const;

    // The axis may not enter [from, to]: a move that would stops where it
    // meets it and faults the axis. Takes effect on moves already running.
    void placeObstruction(WorldAxis axis, double from, double to);
    void removeObstructions();

    // ---- Surface ----------------------------------------------------------------

    void setSurface(std::optional<SimulatedSurface> surface);
    std::optional<SimulatedSurface> surface() const;
    bool tipTouchesSurface();
    // The deepest the tip has been below the surface so far, µm (0 when it
    // has never been below it).
    double deepestPress();

    // ---- Outputs of the devices ---------------------------------------------------

    // The waveform generator drives the dispenser while its relay connects it
    // and the voltage is above 0.
    void electronicsOutputChanged(bool generatorConnected, double volts, double frequencyHz);
    void relayOutputChanged(bool closed);

    // Every drive so far in order, the running one last (not finished).
    std::vector<DispenserDriveRecord> dispenserDrives();
    // Every UV exposure so far in order, the running one last (not finished).
    std::vector<UVExposureRecord> uvExposures();
    // The number of drives so far and the last of them (as dispenserDrives()
    // gives it), without copying the others.
    struct LatestDispenserDrive {
        std::size_t count = 0;
        std::optional<DispenserDriveRecord> last;
    };
    LatestDispenserDrive latestDispenserDrive();

  private:
    struct Axis {
        AxisProfile profile;
        // Used instead of the profile while followsTrack is set.
        AxisTrack track;
        bool followsTrack = false;
        std::int64_t startNs = 0;
        std::int64_t endNs = 0; // when the axis comes to rest
        double stopPosition = 0.0;
        bool stopsOnFault = false; // it ends on a hard stop or an obstruction
        bool homingMove = false;
        bool faulted = false;
        bool homed = true;
    };
    struct Obstruction {
        WorldAxis axis;
        double from;
        double to;
    };

    std::int64_t nowNs() const;
    static double positionAt(const Axis& axis, std::int64_t ns);
    AxisStatus statusAt(const Axis& axis, std::int64_t ns) const;
    WorldPoint tipAt(std::int64_t ns) const;
    // Applies what moves that have ended left behind (faults, homing).
    void latch(std::int64_t ns);
    // Ends the axis's running move where it is at ns.
    void stopAt(Axis& axis, std::int64_t ns);
    // Starts a move of the axis from where it is at ns.
    void plan(WorldAxis which, double target, double velocity, double acceleration, std::int64_t ns,
              bool homing);
    // Limits the axis's running move by the hard stops and the obstructions
    // ahead of the position it has at ns.
    void applyStops(WorldAxis which, std::int64_t ns);
    void applyTrackStops(WorldAxis which, std::int64_t ns);
    // Adds the times within (from, to) at which the axis's motion changes.
    static void addMotionChanges(const Axis& axis, std::int64_t from, std::int64_t to,
                                 std::vector<std::int64_t>& times);
    // Follows the tip from where the world was last looked at to ns (deepest
    // press, the running drive's path).
    void catchUp(std::int64_t ns);
    void visit(const WorldPoint& tip);

    const std::shared_ptr<WorldClock> clock_;
    const WorldPoint travel_;
    const WorldPoint travelFrom_;
    const WorldPoint homeSwitches_;
    const double homingVelocity_;
    const double homingAcceleration_;

    mutable std::mutex mutex_;
    std::array<Axis, 3> axes_;
    std::vector<Obstruction> obstructions_;
    std::optional<SimulatedSurface> surface_;
    std::int64_t followedUntilNs_ = 0;
    double deepestPress_ = 0.0;
    bool generatorDriving_ = false;
    std::vector<DispenserDriveRecord> drives_;
    std::vector<UVExposureRecord> exposures_;
};

} // namespace Simulators
