#pragma once
// The whole simulated instrument as a test holds it: installed under the
// driver library while it lives, with the links the test opened to its
// adapters. Links are opened with the tests' serial timing and closed, in the
// order they were opened, before the instrument goes (or earlier, through
// closePorts(), when a test must close them before its robot goes).

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"
#include "simulators/instrument/SimulatedInstrument.hpp"

namespace Dotfield::Testing {

class TestInstrument final : public Simulators::SimulatedDropwright {
  public:
    // The same shape as a robot's port opener.
    using PortOpener = std::function<std::shared_ptr<SerialPort>(const SerialPortProperties&)>;

    explicit TestInstrument(Simulators::SimulatedInstrumentOptions options);
    ~TestInstrument();

    // The positioner's controller peer as the type the test expects; nothing
    // when the model has another one (or none).
    template <typename Peer> std::shared_ptr<Peer> positionerAs() const {
        return std::dynamic_pointer_cast<Peer>(positioner());
    }

    // Opens a link to one of the instrument's adapters; it is closed with the
    // instrument.
    std::shared_ptr<SerialPort> openPort(const SerialPortProperties& properties,
                                         const SerialPortTiming& timing = serialPortTiming());
    // What a robot is given to open its link with (the links it opens are
    // closed with the instrument too).
    PortOpener opener(SerialPortTiming timing = serialPortTiming());
    // Closes every link opened so far.
    void closePorts();

  private:
    std::mutex portsMutex_;
    std::vector<std::shared_ptr<SerialPort>> ports_;
};

// Ends a fixture's robot and instrument in the one safe order: the robot lets
// go of its link (saying goodbye while the peer still listens), the links
// close, then both go.
template <typename RobotPointer>
void releaseRobotAndInstrument(RobotPointer& robot, std::unique_ptr<TestInstrument>& instrument) {
    if (robot) {
        robot->disconnectFromSerialPort();
    }
    if (instrument) {
        instrument->closePorts();
    }
    robot.reset();
    instrument.reset();
}

} // namespace Dotfield::Testing
