#pragma once
// A positioner controller of our own for tests, on the dual adapter's
// interface B (57600 baud, 8 data bits, no parity, 1 stop bit), moving the
// world's axes. It speaks a small ASCII line protocol: every command is one
// line ended by a carriage return (a line feed is ignored), fields separated
// by single spaces, numbers in decimal (a sign, a fraction and an exponent
// allowed; not "nan" or "inf"), axes named X, Y, Z. Every command is answered
// by one line ended by a carriage return:
//
//   V <axis> <µm/s>     velocity of the axis's later moves        OK
//   A <axis> <µm/s²>    acceleration of the axis's later moves    OK
//   M <axis> <µm>       moves the axis to the position            OK
//   MXY <µm> <µm>       moves X and Y together                    OK
//   P                   position                                  P <x> <y> <z>
//   S                   motion state, one letter per axis:        S <xyz>
//                       M moving, R at rest, E faulted
//   H                   halts every axis at once                  OK
//   HOME                homes every axis                          OK
//   N                   whether homing is needed                  N 1 / N 0
//   C <axis>            clears the axis's fault                   OK
//
// Failures answer "E <reason>": SYNTAX (not a command of this list, a bad
// axis or number, a line over 128 characters), RANGE (a velocity or
// acceleration not above 0), FAULT (a move of a faulted axis), HOME (a move
// of an axis that needs homing). Until set, every axis moves at 10000 µm/s
// and 100000 µm/s².

#include <array>
#include <chrono>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "simulators/instrument/World/InstrumentWorld.hpp"
#include "simulators/peers/SimulatedPeer.hpp"

namespace Simulators {

class SimulatedGenericPositioner final : public SimulatedPeer {
  public:
    static constexpr std::uint32_t baudRate = 57600;
    static constexpr double defaultVelocity = 10000.0;
    static constexpr double defaultAcceleration = 100000.0;
    static constexpr std::size_t longestLine = 128;

    struct ReceivedCommand {
        std::chrono::nanoseconds at{0}; // world time
        std::string line;               // without its carriage return
    };

    explicit SimulatedGenericPositioner(std::shared_ptr<InstrumentWorld> world);

    const std::shared_ptr<InstrumentWorld>& world() const { return world_; }
    // Every command line received, in order.
    std::vector<ReceivedCommand> commands() const;
    void clearCommands();

  private:
    void decode(std::span<const std::uint8_t> bytes) override;
    std::string answer(std::string_view line);

    const std::shared_ptr<InstrumentWorld> world_;
    std::string pending_;
    bool discardingLongLine_ = false;
    std::array<double, 3> velocities_{defaultVelocity, defaultVelocity, defaultVelocity};
    std::array<double, 3> accelerations_{defaultAcceleration, defaultAcceleration, defaultAcceleration};
    std::vector<ReceivedCommand> commands_;
};

} // namespace Simulators
