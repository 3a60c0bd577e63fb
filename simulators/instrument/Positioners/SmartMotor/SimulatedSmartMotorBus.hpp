#pragma once
// Three SmartMotor servo motors (X, Y, Z) on one serial line, moving the
// world's axes: the positioner of the generation-II models. Each frame starts
// with an address byte (0x81, 0x82, 0x83 for X, Y, Z, 0x80 for all three);
// then either command text ended by a space, or a data item: kind (0xFA
// position, 0xFB time), 4 bytes, carriage return. Every byte received is
// echoed; a query's reply follows the echo of its frame.
//
// The motors listen at 9600 baud from power-on and at the rate "BAUD<rate>"
// tells them from then on. Older motors (IIa) or newer ones (IIb):
//
//   command        older        newer       meaning
//   target         P=<n>        PT=<n>      position-mode target, counts
//   speed          V=<n>        VT=<n>      velocity of later moves
//   acceleration   A=<n>        AT=<n>
//   position       RP           RPA         reply: the count, then 0x0D
//   status bit     0x1 / 0x4000 0x4 / 0x10  "RW" moving / error
//   "Q" reply      5 bytes      6 bytes     contour buffer (see below)
//   byte order     MSB first    LSB first   data items
//
// Contour mode ("MD"): each motor keeps a contour buffer (see
// SmartMotorContourBuffer.hpp) of 31 places (older) or 45 (newer), filled by
// data items: a position (0xFA, counts) and then its time (0xFB; to 0x80 it
// reaches every motor). "G" starts playing it on the world's axis, straight
// from item to item in time (sample periods 0.24576 ms older, 0.12288 ms
// newer); "Q" reports the places free right now; the closing item ends the
// playing; "MP" (position mode), "MD" again or "S" stop it and empty the
// buffer. A test can stall a motor (it halts and its buffer stops draining)
// and set contour status flags: on the newer motors the status byte of the
// "Q" reply (0x08 invalid position delta, 0x20 contour error), on the older
// ones 0x40 makes the reply report a stall. An item sent into a full buffer is
// dropped and raises the contour error (0x20 newer, the 0x40 stall older).
//
//   "Q" reply      older: 00, 0x80 | free, free, 00, 00 (00, 0x40, ... stalled)
//                  newer: F9, free, status, 00, 00, 00
//
// Common commands: "G" starts the move to the target; "S" stops the axis;
// "ZS" clears its error (a motor short of its target servos on towards it, so
// an axis still blocked faults again); "RW" reports the status word (error bit
// from a world fault or a refused move); "RUN" starts the stored homing
// program (the axis runs to its home switch, which is count 0), after which
// "Rh" answers 1 (0 before); "RMODE" answers the mode (1 position, 7
// contour); "MP", "MD" position and contour mode; "MDS" is recorded; the
// gains "KP=", "KI=", "KD=", "KL=", "KV=", "KA=" and "F" are recorded.
//
// Counts: X = x / k, Y = −y / k, Z = 20800 − z / 5 (older) or z / 2.5 − 43700
// (newer), k 5 µm (older) or 2.5 µm (newer), x, y, z the world's positions.
// Speeds: µm/s = n / 3.2212 (older) or n / 3.2768 (newer); accelerations
// µm/s² = n / 0.000791 or n / 0.0004096.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "simulators/instrument/Positioners/SmartMotor/SmartMotorContourBuffer.hpp"
#include "simulators/instrument/World/InstrumentWorld.hpp"
#include "simulators/peers/SimulatedPeer.hpp"

namespace Simulators {

class SimulatedSmartMotorBus final : public SimulatedPeer {
  public:
    enum class Generation { older, newer };
    static constexpr std::uint32_t powerOnBaudRate = 9600;
    static constexpr std::int64_t positionMode = 1;
    static constexpr std::int64_t contourMode = 7;
    static constexpr double defaultVelocity = 10000.0;      // µm/s until set
    static constexpr double defaultAcceleration = 100000.0; // µm/s² until set
    static constexpr std::uint8_t newerBufferPlaces = 45;
    static constexpr std::uint8_t olderBufferPlaces = 31;
    static constexpr double olderSamplePeriod = 0.00024576; // s
    static constexpr double newerSamplePeriod = 0.00012288; // s
    static constexpr std::uint8_t stalledFlag = 0x40;        // older motors' "Q"
    static constexpr std::uint8_t invalidPositionDeltaFlag = 0x08;
    static constexpr std::uint8_t contourErrorFlag = 0x20;

    // One decoded frame. Motor 0, 1, 2 for X, Y, Z, 3 for all; command is the
    // text before "=" ("position" or "time" for data items); value the number
    // after "=" or the item's data.
    struct Command {
        int motor = 0;
        std::string command;
        std::optional<std::int64_t> value;
        bool operator==(const Command&) const = default;
    };

    // baudRate: the rate the motors listen at first (9600 from power-on; 38400
    // for motors a previous connection switched already).
    SimulatedSmartMotorBus(std::shared_ptr<InstrumentWorld> world, Generation generation,
                           std::uint32_t baudRate = powerOnBaudRate);

    const std::shared_ptr<InstrumentWorld>& world() const { return world_; }
    Generation generation() const { return generation_; }

    std::vector<Command> transcript() const;
    void clearTranscript();
    // The next "Q" to the axis's motor answers these bytes (then the usual answer).
    void queueBufferReply(WorldAxis axis, std::vector<std::uint8_t> reply);
    void setMode(WorldAxis axis, std::int64_t mode);
    std::int64_t mode(WorldAxis axis) const;
    // The last value the named gain ("KP", "KI", ...) was given, if any.
    std::optional<std::int64_t> gain(WorldAxis axis, const std::string& name) const;
    // The motor halts and its contour buffer stops draining.
    void stallMotor(WorldAxis axis);
    // Flags the motor's "Q" replies carry from now on (see above).
    void setContourStatusFlags(WorldAxis axis, std::uint8_t flags);
    // The world time at which the motor last started playing its contour buffer.
    std::optional<std::chrono::nanoseconds> contourStart(WorldAxis axis) const;

  private:
    struct Motor {
        std::optional<std::int64_t> target; // counts
        bool commanded = false;             // a "G" was given since the last stop
        double velocity = defaultVelocity;
        double acceleration = defaultAcceleration;
        std::int64_t mode = positionMode;
        bool refusedMove = false;
        std::map<std::string, std::int64_t> gains;
        std::deque<std::vector<std::uint8_t>> bufferReplies;
        SmartMotorContourBuffer contour;
        bool followsContour = false; // the world's axis plays the buffer
        std::optional<std::chrono::nanoseconds> contourStartedAt;
        std::uint8_t contourFlags = 0;
    };

    void decode(std::span<const std::uint8_t> bytes) override;
    void handleText(int address, const std::string& text, std::vector<std::uint8_t>& out);
    void handleData(int address, std::uint8_t kind, std::span<const std::uint8_t, 4> data);
    // The answer of a query to one motor, or nothing for a command.
    std::optional<std::vector<std::uint8_t>> apply(WorldAxis axis, const std::string& name,
                                                   std::optional<std::int64_t> value);
    void startMove(WorldAxis axis);
    // Hands the items still to play to the world's axis.
    void playContour(WorldAxis axis);
    // Halts the axis when it plays the buffer, and empties the buffer.
    void stopContour(WorldAxis axis);
    void takeDataItem(WorldAxis axis, std::uint8_t kind, std::int32_t value);

    double countScale(WorldAxis axis) const;
    double countOrigin(WorldAxis axis) const;
    double worldPosition(WorldAxis axis, double counts) const;
    std::int64_t counts(WorldAxis axis) const;
    std::int64_t statusWord(WorldAxis axis) const;
    std::vector<std::uint8_t> bufferReply(WorldAxis axis);

    const std::shared_ptr<InstrumentWorld> world_;
    const Generation generation_;
    std::array<Motor, 3> motors_;
    std::vector<std::uint8_t> frame_;
    std::vector<Command> transcript_;
};

} // namespace Simulators
