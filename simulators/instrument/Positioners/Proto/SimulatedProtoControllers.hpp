#pragma once
// The prototype positioner's three closed-loop stepper controllers (X, Y, Z)
// on one serial line at 115200 baud, moving the world's axes.
//
// Frame: '#', the controller ('1' X, '2' Y, '3' Z, '*' all three), the
// command text, CR. Bytes outside a frame are ignored. Every frame to one
// controller is answered by one line ending in CR that repeats the
// controller and the command, then the value of a query:
//   "ZC"              position counter    "1ZC-2048"
//   "$"               status, 8 bytes     "1$: 160"
//   ":is_referenced"  referenced or not   "1:is_referenced+1" / "+0"
//   anything else     the echo            "1s1200"
// A frame to '*' reaches every controller; one echo line answers it.
//
// Commands: "p2" positioning mode, "p3" run onto the home switch, "p4" run
// onto the limit switch; "d0" / "d1" the direction of those runs (d0 towards
// higher counts); "s<n>" the target (counts); "A" starts what the mode says
// at the "o" velocity and "b" ramp; "S" stops the axis; "D<n>" clears its
// fault and sets its counter to n. "o<n>": n counts/s; "b<n>": an
// acceleration of 3000 / √n − 11.7 counts/s² (at least 1). Every command with
// a value is recorded as a setting ("i", "g", "q", "u", ":CL_enable", the
// gains ":CL_KP_s_Z" and the like).
//
// Counters from the world (microns per count 0.78125 for X and Y, 0.15625
// for Z): X = x / k, Y = −y / k, Z = 576000 − z / k, plus what "D" set.
// With d0 towards higher counts, X's and Y's home switches (at 0) lie in
// direction d1 and d0, Z's (at the top) in d1; a run in mode 3 away from
// the switch goes on to the end of the travel.
//
// Status: 160 moving to a target, 162 on a reference run, 164 stopped on a
// limit (an end of the travel), 165 stopped by an obstruction, 166 a move
// the world refused (not homed), 161 standing. An axis is referenced once a
// mode-3 run has brought it onto its home switch (or the world started
// homed).
//
// A silenced controller neither acts nor answers; a reply can be replaced
// for one exchange. Every decoded frame is kept in the transcript.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "simulators/instrument/World/InstrumentWorld.hpp"
#include "simulators/peers/SimulatedPeer.hpp"

namespace Simulators {

class SimulatedProtoControllers final : public SimulatedPeer {
  public:
    static constexpr std::uint32_t baudRate = 115200;
    static constexpr double micronsPerCountInXY = 0.78125;
    static constexpr double micronsPerCountInZ = 0.15625;
    static constexpr double zTravelInCounts = 576000.0;

    static constexpr int statusMovingToTarget = 160;
    static constexpr int statusStanding = 161;
    static constexpr int statusReferenceRun = 162;
    static constexpr int statusLimit = 164;
    static constexpr int statusObstruction = 165;
    static constexpr int statusRefused = 166;

    // One decoded frame: the controller character and the command text.
    struct Command {
        char motor = '1';
        std::string text;
        bool operator==(const Command&) const = default;
    };

    explicit SimulatedProtoControllers(std::shared_ptr<InstrumentWorld> world);

    const std::shared_ptr<InstrumentWorld>& world() const { return world_; }

    std::vector<Command> transcript() const;
    // The texts sent to one controller character ('1', '2', '3', '*').
    std::vector<std::string> textsTo(char motor) const;
    void clearTranscript();

    // A silenced controller neither acts on frames nor answers them.
    void silence(WorldAxis axis, bool silent = true);
    // The controller's next answer is these bytes (CR included) instead of
    // its own; the frame still acts.
    void replaceNextReply(WorldAxis axis, std::string bytes);

    int mode(WorldAxis axis) const;
    int direction(WorldAxis axis) const;
    std::int64_t counter(WorldAxis axis) const;
    // The last value sent with a command of this name ("o", "b", "s", "i",
    // ":CL_KP_s_Z", ...), if any.
    std::optional<std::int64_t> setting(WorldAxis axis, const std::string& name) const;
    int status(WorldAxis axis) const;

  private:
    struct Controller {
        int mode = 2;
        int direction = 0;
        std::int64_t target = 0;
        std::int64_t counterOffset = 0;
        double velocity = 0.0;     // µm/s
        double acceleration = 0.0; // µm/s²
        bool refusedMove = false;
        bool silent = false;
        std::map<std::string, std::int64_t> settings;
        std::deque<std::string> replacedReplies;
    };

    void decode(std::span<const std::uint8_t> bytes) override;
    void handleFrame(char motor, const std::string& text, std::vector<std::uint8_t>& out);
    // The value part of the answer ("-2048", ": 160", "+1"; empty for a plain
    // echo).
    std::string apply(WorldAxis axis, const std::string& name, std::optional<std::int64_t> value);
    void start(WorldAxis axis);

    Controller& controller(WorldAxis axis) { return controllers_[static_cast<std::size_t>(axis)]; }
    const Controller& controller(WorldAxis axis) const { return controllers_[static_cast<std::size_t>(axis)]; }
    // Counts without what "D" set, and the world position of such counts.
    double worldCounts(WorldAxis axis, double position) const;
    double worldPosition(WorldAxis axis, double counts) const;
    std::int64_t counterValue(WorldAxis axis) const;
    int statusValue(WorldAxis axis) const;

    const std::shared_ptr<InstrumentWorld> world_;
    std::array<Controller, 3> controllers_;
    std::vector<std::uint8_t> frame_;
    bool inFrame_ = false;
    std::vector<Command> transcript_;
};

} // namespace Simulators
