#pragma once
// The contour buffer of one simulated SmartMotor. In contour mode the host
// sends items (a position, then its time) into it; from "G" the motor plays
// them in order, moving in a straight line of position over time from each
// item to the next. An item's place frees when the motor has reached it.
//
// Times: the older motors take each item's time since the start of the
// contour, and an item whose time is not later than the one before (the
// closing item, time 0) ends the contour. The newer motors take the duration
// of the segment ending at the item, and a duration of 32768 or more marks
// the closing item (its duration is the rest). The closing item holds the
// last position; nothing after it is taken.
//
// A motor that runs out of items waits where it is and carries on when the
// next arrives, its segment counted from then. A stalled motor stops
// draining. Times are world nanoseconds; positions are the world's microns.
// Not thread-safe: the bus holds its lock around every call.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "simulators/instrument/World/InstrumentWorld.hpp"

namespace Simulators {

class SmartMotorContourBuffer {
  public:
    SmartMotorContourBuffer() = default;
    // segmentTimes: the newer motors' durations instead of times since the start.
    SmartMotorContourBuffer(std::size_t capacity, double samplePeriodSeconds, bool segmentTimes);

    // Empties the buffer and stops playing (contour mode entered or left, a stop).
    void clear();
    // A position item; it waits for its time.
    void takePosition(double position);
    // A time item completes the waiting position (or repeats the last one).
    // False when the buffer was full and the item was dropped.
    bool takeTime(std::int32_t time, std::int64_t nowNs);
    // "G": plays from now.
    void start(std::int64_t nowNs);
    // Stops draining from now on, for good (emptying the buffer keeps it so).
    void stall(std::int64_t nowNs);

    std::size_t capacity() const { return capacity_; }
    std::size_t freePlaces(std::int64_t nowNs);
    // When playing started, if it has.
    std::optional<std::int64_t> startedAt() const { return startedAtNs_; }
    // The items not reached yet, each with the time it is reached; empty
    // before "G" and while stalled.
    std::vector<TrackPoint> track(std::int64_t nowNs);

  private:
    struct Item {
        double position = 0.0;
        std::int64_t samples = 0; // of the segment ending here
        std::int64_t dueNs = 0;
    };

    void schedule(Item& item, std::int64_t nowNs);
    void dropReached(std::int64_t nowNs);

    std::size_t capacity_ = 0;
    double samplePeriodNs_ = 0.0;
    bool segmentTimes_ = false;

    std::deque<Item> items_;
    std::optional<double> pendingPosition_;
    std::optional<double> lastPosition_;
    std::optional<std::int32_t> lastTime_;
    bool closed_ = false;
    std::optional<std::int64_t> startedAtNs_;
    std::int64_t lastDueNs_ = 0;
    std::optional<std::int64_t> stalledAtNs_;
};

} // namespace Simulators
