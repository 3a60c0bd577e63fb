#pragma once
// The Gilson-protocol XYZ controller of the Desktop positioner, moving the
// world's axes: unit 20 on the dual adapter's interface B at 19200 baud, 8
// data bits, even parity, 1 stop bit. It decodes the bytes itself:
//
//   0x80 + unit   selects the device with that unit ID; unit 20 answers its
//                 select byte (0x94) and listens from then on
//   0xFF          deselects; answered only by a confused device (below)
//   0x0A          buffer check: answered 0x0A when the buffer is cleared,
//                 0x8A while it is held busy; starts a buffered command
//   text, 0x0D    the buffered command after a line feed; every byte is
//                 echoed, the command runs at the carriage return
//   one letter    an immediate command (outside a buffered command); the
//                 first reply byte is sent at once, each further one for an
//                 acknowledge (0x06), the last with bit 7 set
//
// Buffered commands (mm and mm/s):
//   X<x>:<vx>/<y>:<vy>   X and Y to x and y at their speeds
//   Z<z>:<vz>            Z to z
//   H                    home every axis
//   e                    clear the axes' errors
//   @<n>=<value>         a setting, recorded; @13, @14, @15 are the X, Y, Z
//                        accelerations times 3 (µm/s²)
// Anything else is echoed and recorded only.
//
// Immediate commands:
//   X   "<x>/<y>"   positions, three decimals
//   Z   "<z>"
//   M   one status character per axis, X, Y, Z: "U" not homed, "R" moving,
//       "P" standing, "E" stopped by an obstruction or the end of its travel
// Others are not answered.
//
// Coordinates: X and Y in mm are the world's µm / 1000; Z is counted so that
// the top of its travel (the home switch) reads 100.000 mm.
//
// Tests can make selections answer 0 (the device is confused: it then answers
// every 0xFF with 0 too, until a selection it takes), hold the buffer busy,
// answer immediate commands busy (0xA3, the command not taken) and script the
// reply bytes of the next immediate commands.

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

class SimulatedGilsonController final : public SimulatedPeer {
  public:
    static constexpr std::uint32_t baudRate = 19200;
    static constexpr std::uint8_t unitID = 20;
    // The Z reading of the top of the travel, mm.
    static constexpr double zAtHomeSwitch = 100.0;
    static constexpr double defaultAcceleration = 100000.0; // µm/s² until set
    static constexpr std::uint8_t bufferCleared = 0x0A;
    static constexpr std::uint8_t bufferBusy = 0x8A;
    static constexpr std::uint8_t busyReply = 0xA3;

    explicit SimulatedGilsonController(std::shared_ptr<InstrumentWorld> world);

    const std::shared_ptr<InstrumentWorld>& world() const { return world_; }

    // What the controller decoded, in order: "select 20", "select 20 answered 0",
    // "select 7" (another unit), "deselect", "buffer check", "buffered <text>",
    // "immediate <letter>", "busy <letter>".
    std::vector<std::string> transcript() const;
    void clearTranscript();
    bool isSelected() const;

    // The next `count` selections of this unit are answered 0.
    void answerSelectionsWithZero(int count);
    // While held, every buffer check is answered busy.
    void holdBufferBusy(bool busy);
    // The next `count` immediate commands are answered busy and not taken.
    void answerImmediateCommandsBusy(int count);
    // The next immediate command (any letter) answers these bytes, one per
    // acknowledge, as given (the test sets bit 7 where the reply ends).
    void scriptImmediateReply(std::vector<std::uint8_t> bytes);
    // The same for a text: its bytes, the last with bit 7 set.
    void scriptImmediateReply(const std::string& text);
    // The last value of a setting "@<number>=", if any.
    std::optional<std::int64_t> setting(int number) const;

  private:
    void decode(std::span<const std::uint8_t> bytes) override;
    void takeByte(std::uint8_t byte, std::vector<std::uint8_t>& out);
    void runBufferedCommand(const std::string& text);
    void startImmediateReply(std::uint8_t command, std::vector<std::uint8_t>& out);
    std::string immediateReply(char command) const;
    bool moveXY(const std::string& text);
    bool moveZ(const std::string& text);
    void recordSetting(const std::string& text);
    double acceleration(WorldAxis axis) const;
    char axisState(WorldAxis axis) const;

    const std::shared_ptr<InstrumentWorld> world_;
    bool selected_ = false;
    bool confused_ = false;
    int zeroSelections_ = 0;
    bool bufferHeldBusy_ = false;
    int busyImmediates_ = 0;
    // A buffered command under way (after its line feed) and its text so far.
    bool inBufferedCommand_ = false;
    std::string line_;
    // Reply bytes still to come, one per acknowledge.
    std::deque<std::uint8_t> replyRemainder_;
    std::deque<std::vector<std::uint8_t>> scriptedReplies_;
    std::map<int, std::int64_t> settings_;
    std::vector<std::string> transcript_;
};

} // namespace Simulators
