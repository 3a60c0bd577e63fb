#include "simulators/instrument/World/InstrumentWorld.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace Simulators {

namespace {

constexpr double nanosecondsPerSecond = 1e9;
// Moves longer than this (a crawl at a vanishing velocity) are cut to it, so
// that their times stay within the clock's range.
constexpr double longestMoveSeconds = 1e9;
// The tip's path is followed in pieces of at most this much travel on any
// axis (twice as many pieces as a steady pace would need, since an axis
// speeding up from rest covers nearly 2/n of a span in the last of n equal
// times), and at most this many pieces between two changes of motion phase.
constexpr double pathStep = 10.0;
constexpr int maximumPiecesPerSpan = 64;

std::size_t index(WorldAxis axis) {
    return static_cast<std::size_t>(axis);
}

double& component(WorldPoint& point, std::size_t i) {
    return i == 0 ? point.x : i == 1 ? point.y : point.z;
}

double component(const WorldPoint& point, std::size_t i) {
    return i == 0 ? point.x : i == 1 ? point.y : point.z;
}

std::int64_t toNanoseconds(double seconds) {
    return std::llround(std::clamp(seconds, 0.0, longestMoveSeconds) * nanosecondsPerSecond);
}

bool positiveFinite(double value) {
    return std::isfinite(value) && value > 0.0;
}

} // namespace

double DispenserDriveRecord::mainFrequencyHz() const {
    double best = 0.0;
    std::chrono::nanoseconds longest{-1};
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const auto until = i + 1 < frequencies.size() ? frequencies[i + 1].from : end;
        if (until - frequencies[i].from > longest) {
            longest = until - frequencies[i].from;
            best = frequencies[i].frequencyHz;
        }
    }
    return best;
}

InstrumentWorld::InstrumentWorld(WorldConfiguration configuration)
    : clock_(configuration.clock ? configuration.clock : std::make_shared<RealTimeWorldClock>()),
      travel_(configuration.travel), travelFrom_(configuration.travelFrom),
      homeSwitches_(configuration.homeSwitches.value_or(
          WorldPoint{configuration.travelFrom.x, configuration.travelFrom.y, configuration.travel.z})),
      homingVelocity_(configuration.homingVelocity), homingAcceleration_(configuration.homingAcceleration),
      surface_(std::move(configuration.surface)) {
    const WorldPoint start = configuration.start.value_or(homeSwitches_);
    const std::int64_t ns = nowNs();
    for (std::size_t i = 0; i < axes_.size(); ++i) {
        Axis& axis = axes_[i];
        axis.profile = AxisProfile(component(start, i));
        axis.stopPosition = component(start, i);
        axis.startNs = axis.endNs = ns;
        axis.homed = configuration.homed;
    }
    followedUntilNs_ = ns;
    visit(start);
}

std::int64_t InstrumentWorld::nowNs() const {
    return clock_->now().count();
}

double InstrumentWorld::positionAt(const Axis& axis, std::int64_t ns) {
    if (ns >= axis.endNs) {
        return axis.stopPosition;
    }
    if (axis.followsTrack) {
        return axis.track.positionAt(ns);
    }
    return axis.profile.positionAt(static_cast<double>(ns - axis.startNs) / nanosecondsPerSecond);
}

AxisStatus InstrumentWorld::statusAt(const Axis& axis, std::int64_t ns) const {
    const bool ended = ns >= axis.endNs;
    AxisStatus status;
    status.position = positionAt(axis, ns);
    status.moving = !ended;
    status.faulted = axis.faulted || (ended && axis.stopsOnFault);
    status.homed = axis.homed || (ended && axis.homingMove && !axis.stopsOnFault);
    status.homing = !ended && axis.homingMove;
    status.at = std::chrono::nanoseconds(ns);
    return status;
}

WorldPoint InstrumentWorld::tipAt(std::int64_t ns) const {
    return {positionAt(axes_[0], ns), positionAt(axes_[1], ns), positionAt(axes_[2], ns)};
}

void InstrumentWorld::latch(std::int64_t ns) {
    for (Axis& axis : axes_) {
        if (ns < axis.endNs) {
            continue;
        }
        if (axis.stopsOnFault) {
            axis.faulted = true;
        } else if (axis.homingMove) {
            axis.homed = true;
        }
        axis.stopsOnFault = false;
        axis.homingMove = false;
    }
}

// ---- Axes ----------------------------------------------------------------------

InstrumentWorld::MoveResult InstrumentWorld::moveAxes(const std::vector<AxisMove>& moves) {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    for (const AxisMove& move : moves) {
        if (!std::isfinite(move.target) || !positiveFinite(move.velocity) || !positiveFinite(move.acceleration)) {
            return MoveResult::invalid;
        }
    }
    for (const AxisMove& move : moves) {
        const AxisStatus status = statusAt(axes_[index(move.axis)], ns);
        if (status.faulted) {
            return MoveResult::faulted;
        }
        if (!status.homed) {
            return MoveResult::notHomed;
        }
    }
    catchUp(ns);
    latch(ns);
    for (const AxisMove& move : moves) {
        plan(move.axis, move.target, move.velocity, move.acceleration, ns, false);
    }
    return MoveResult::started;
}

InstrumentWorld::MoveResult InstrumentWorld::followTrack(WorldAxis which, const std::vector<TrackPoint>& track) {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    for (const TrackPoint& point : track) {
        if (!std::isfinite(point.position)) {
            return MoveResult::invalid;
        }
    }
    Axis& axis = axes_[index(which)];
    const AxisStatus status = statusAt(axis, ns);
    if (status.faulted) {
        return MoveResult::faulted;
    }
    if (!status.homed) {
        return MoveResult::notHomed;
    }
    catchUp(ns);
    latch(ns);
    std::vector<AxisTrack::Sample> samples;
    samples.reserve(track.size());
    for (const TrackPoint& point : track) {
        samples.push_back({point.at.count(), point.position});
    }
    axis.track = AxisTrack({ns, positionAt(axis, ns)}, samples);
    axis.followsTrack = true;
    axis.profile = AxisProfile(axis.track.endPosition());
    axis.startNs = ns;
    axis.endNs = axis.track.endNs();
    axis.stopPosition = axis.track.endPosition();
    axis.stopsOnFault = false;
    axis.homingMove = false;
    applyTrackStops(which, ns);
    return MoveResult::started;
}

InstrumentWorld::MoveResult InstrumentWorld::home() {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    for (const Axis& axis : axes_) {
        if (statusAt(axis, ns).faulted) {
            return MoveResult::faulted;
        }
    }
    catchUp(ns);
    latch(ns);
    for (std::size_t i = 0; i < axes_.size(); ++i) {
        plan(static_cast<WorldAxis>(i), component(homeSwitches_, i), homingVelocity_, homingAcceleration_, ns,
             true);
    }
    return MoveResult::started;
}

InstrumentWorld::MoveResult InstrumentWorld::homeAxis(WorldAxis which) {
    return homeAxis(which, homingVelocity_, homingAcceleration_);
}

InstrumentWorld::MoveResult InstrumentWorld::homeAxis(WorldAxis which, double velocity, double acceleration) {
    if (!positiveFinite(velocity) || !positiveFinite(acceleration)) {
        return MoveResult::invalid;
    }
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    const std::size_t i = index(which);
    if (statusAt(axes_[i], ns).faulted) {
        return MoveResult::faulted;
    }
    catchUp(ns);
    latch(ns);
    plan(which, component(homeSwitches_, i), velocity, acceleration, ns, true);
    return MoveResult::started;
}

InstrumentWorld::MoveResult InstrumentWorld::runAxisToEnd(WorldAxis which, bool towardsTravel, double velocity,
                                                          double acceleration) {
    if (!positiveFinite(velocity) || !positiveFinite(acceleration)) {
        return MoveResult::invalid;
    }
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    const std::size_t i = index(which);
    if (statusAt(axes_[i], ns).faulted) {
        return MoveResult::faulted;
    }
    catchUp(ns);
    latch(ns);
    // Aimed a whole travel beyond the end, so the axis meets the hard stop at
    // speed and the stop ends the run.
    const double top = component(travel_, i);
    const double bottom = component(travelFrom_, i);
    const double span = top - bottom;
    plan(which, towardsTravel ? top + span : bottom - span, velocity, acceleration, ns, false);
    return MoveResult::started;
}

void InstrumentWorld::plan(WorldAxis which, double target, double velocity, double acceleration,
                           std::int64_t ns, bool homing) {
    Axis& axis = axes_[index(which)];
    const double from = positionAt(axis, ns);
    axis.followsTrack = false;
    axis.profile = AxisProfile(from, target, velocity, acceleration);
    axis.startNs = ns;
    axis.endNs = ns + toNanoseconds(axis.profile.duration());
    axis.stopPosition = target;
    axis.stopsOnFault = false;
    axis.homingMove = homing;
    if (homing) {
        axis.homed = false;
    }
    applyStops(which, ns);
}

void InstrumentWorld::applyTrackStops(WorldAxis which, std::int64_t ns) {
    Axis& axis = axes_[index(which)];
    if (ns >= axis.endNs) {
        return;
    }
    std::vector<std::pair<double, double>> blocked;
    for (const Obstruction& obstruction : obstructions_) {
        if (obstruction.axis == which) {
            blocked.emplace_back(obstruction.from, obstruction.to);
        }
    }
    const std::optional<AxisTrack::Stop> stop =
        axis.track.firstStop(ns, component(travelFrom_, index(which)), component(travel_, index(which)), blocked);
    if (!stop) {
        return;
    }
    axis.track.endAt(*stop);
    axis.stopPosition = stop->position;
    axis.endNs = std::max(ns, stop->ns);
    axis.stopsOnFault = true;
}

void InstrumentWorld::applyStops(WorldAxis which, std::int64_t ns) {
    Axis& axis = axes_[index(which)];
    if (axis.followsTrack) {
        applyTrackStops(which, ns);
        return;
    }
    if (ns >= axis.endNs) {
        return;
    }
    const std::size_t i = index(which);
    const double here = positionAt(axis, ns);
    const double target = axis.stopPosition;
    const bool up = target > here;
    // The nearest place ahead where the axis must stop.
    std::optional<double> stop;
    const auto consider = [&](double at) {
        if (!stop || (up ? at < *stop : at > *stop)) {
            stop = at;
        }
    };
    const double limit = component(travel_, i);
    const double bottom = component(travelFrom_, i);
    if (up && target > limit) {
        consider(std::max(limit, here));
    }
    if (!up && target < bottom) {
        consider(std::min(bottom, here));
    }
    for (const Obstruction& obstruction : obstructions_) {
        if (obstruction.axis != which) {
            continue;
        }
        if (up && here <= obstruction.from && target > obstruction.from) {
            consider(obstruction.from);
        }
        if (!up && here >= obstruction.to && target < obstruction.to) {
            consider(obstruction.to);
        }
    }
    if (!stop) {
        return;
    }
    axis.stopPosition = *stop;
    axis.endNs = std::max(ns, axis.startNs + toNanoseconds(axis.profile.timeReaching(*stop)));
    axis.stopsOnFault = true;
}

void InstrumentWorld::halt() {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    catchUp(ns);
    latch(ns);
    for (Axis& axis : axes_) {
        stopAt(axis, ns);
    }
}

void InstrumentWorld::haltAxis(WorldAxis which) {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    catchUp(ns);
    latch(ns);
    stopAt(axes_[index(which)], ns);
}

void InstrumentWorld::stopAt(Axis& axis, std::int64_t ns) {
    if (ns < axis.endNs) {
        const double here = positionAt(axis, ns);
        axis.followsTrack = false;
        axis.profile = AxisProfile(here);
        axis.startNs = axis.endNs = ns;
        axis.stopPosition = here;
        axis.stopsOnFault = false;
        axis.homingMove = false;
    }
}

bool InstrumentWorld::clearFault(WorldAxis which) {
    std::lock_guard lock(mutex_);
    latch(nowNs());
    Axis& axis = axes_[index(which)];
    return std::exchange(axis.faulted, false);
}

AxisStatus InstrumentWorld::axis(WorldAxis which) const {
    std::lock_guard lock(mutex_);
    return statusAt(axes_[index(which)], nowNs());
}

WorldPoint InstrumentWorld::tipPosition() const {
    std::lock_guard lock(mutex_);
    return tipAt(nowNs());
}

bool InstrumentWorld::needsHoming() const {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    return std::any_of(axes_.begin(), axes_.end(), [&](const Axis& axis) { return !statusAt(axis, ns).homed; });
}

void InstrumentWorld::placeObstruction(WorldAxis which, double from, double to) {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    catchUp(ns);
    latch(ns);
    obstructions_.push_back({which, std::min(from, to), std::max(from, to)});
    applyStops(which, ns);
}

void InstrumentWorld::removeObstructions() {
    std::lock_guard lock(mutex_);
    obstructions_.clear();
}

// ---- Surface ---------------------------------------------------------------------

void InstrumentWorld::setSurface(std::optional<SimulatedSurface> surface) {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    catchUp(ns);
    surface_ = std::move(surface);
    visit(tipAt(ns));
}

std::optional<SimulatedSurface> InstrumentWorld::surface() const {
    std::lock_guard lock(mutex_);
    return surface_;
}

bool InstrumentWorld::tipTouchesSurface() {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    catchUp(ns);
    if (!surface_) {
        return false;
    }
    const WorldPoint tip = tipAt(ns);
    return tip.z <= surface_->heightAt(tip.x, tip.y) + contactTolerance;
}

double InstrumentWorld::deepestPress() {
    std::lock_guard lock(mutex_);
    catchUp(nowNs());
    return deepestPress_;
}

// ---- Following the tip -------------------------------------------------------------

void InstrumentWorld::catchUp(std::int64_t ns) {
    const std::int64_t from = followedUntilNs_;
    if (ns <= from) {
        return;
    }
    followedUntilNs_ = ns;
    // Every change of motion phase of any axis in between ends a span.
    std::vector<std::int64_t> times{ns};
    for (const Axis& axis : axes_) {
        addMotionChanges(axis, from, ns, times);
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());

    std::int64_t spanStart = from;
    WorldPoint previous = tipAt(from);
    for (const std::int64_t spanEnd : times) {
        const WorldPoint end = tipAt(spanEnd);
        double largest = 0.0;
        for (std::size_t i = 0; i < 3; ++i) {
            largest = std::max(largest, std::abs(component(end, i) - component(previous, i)));
        }
        const int pieces = std::clamp(static_cast<int>(std::ceil(2.0 * largest / pathStep)), 1, maximumPiecesPerSpan);
        for (int k = 1; k <= pieces; ++k) {
            const std::int64_t at = k == pieces ? spanEnd : spanStart + (spanEnd - spanStart) * k / pieces;
            visit(tipAt(at));
        }
        spanStart = spanEnd;
        previous = end;
    }
}

void InstrumentWorld::addMotionChanges(const Axis& axis, std::int64_t from, std::int64_t to,
                                       std::vector<std::int64_t>& times) {
    const auto add = [&](std::int64_t at) {
        at = std::min(at, axis.endNs);
        if (at > from && at < to) {
            times.push_back(at);
        }
    };
    if (axis.followsTrack) {
        for (const AxisTrack::Sample& sample : axis.track.samples()) {
            add(sample.ns);
        }
        return;
    }
    for (double phase : axis.profile.phaseTimes()) {
        add(axis.startNs + toNanoseconds(phase));
    }
}

void InstrumentWorld::visit(const WorldPoint& tip) {
    if (surface_) {
        deepestPress_ = std::max(deepestPress_, surface_->heightAt(tip.x, tip.y) - tip.z);
    }
    if (generatorDriving_ && !drives_.empty()) {
        auto& path = drives_.back().tipPath;
        if (path.empty() || !(path.back() == tip)) {
            path.push_back(tip);
        }
    }
}

// ---- Outputs of the devices ------------------------------------------------------------

void InstrumentWorld::electronicsOutputChanged(bool generatorConnected, double volts, double frequencyHz) {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    catchUp(ns);
    const std::chrono::nanoseconds at{ns};
    const bool driving = generatorConnected && volts > 0.0;
    if (generatorDriving_ && (!driving || volts != drives_.back().voltage)) {
        drives_.back().end = at;
        drives_.back().finished = true;
        generatorDriving_ = false;
    }
    if (driving && !generatorDriving_) {
        DispenserDriveRecord record;
        record.start = record.end = at;
        record.voltage = volts;
        record.frequencies.push_back({at, frequencyHz});
        drives_.push_back(std::move(record));
        generatorDriving_ = true;
        visit(tipAt(ns));
    } else if (driving && drives_.back().frequencies.back().frequencyHz != frequencyHz) {
        drives_.back().frequencies.push_back({at, frequencyHz});
    }
}

void InstrumentWorld::relayOutputChanged(bool closed) {
    std::lock_guard lock(mutex_);
    const std::chrono::nanoseconds at{nowNs()};
    const bool exposing = !exposures_.empty() && !exposures_.back().finished;
    if (closed && !exposing) {
        exposures_.push_back({at, at, false});
    } else if (!closed && exposing) {
        exposures_.back().end = at;
        exposures_.back().finished = true;
    }
}

std::vector<DispenserDriveRecord> InstrumentWorld::dispenserDrives() {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    catchUp(ns);
    std::vector<DispenserDriveRecord> drives = drives_;
    if (!drives.empty() && !drives.back().finished) {
        drives.back().end = std::chrono::nanoseconds(ns);
    }
    return drives;
}

InstrumentWorld::LatestDispenserDrive InstrumentWorld::latestDispenserDrive() {
    std::lock_guard lock(mutex_);
    const std::int64_t ns = nowNs();
    catchUp(ns);
    LatestDispenserDrive latest{drives_.size(), std::nullopt};
    if (!drives_.empty()) {
        latest.last = drives_.back();
        if (!latest.last->finished) {
            latest.last->end = std::chrono::nanoseconds(ns);
        }
    }
    return latest;
}

std::vector<UVExposureRecord> InstrumentWorld::uvExposures() {
    std::lock_guard lock(mutex_);
    std::vector<UVExposureRecord> exposures = exposures_;
    if (!exposures.empty() && !exposures.back().finished) {
        exposures.back().end = std::chrono::nanoseconds(nowNs());
    }
    return exposures;
}

} // namespace Simulators
