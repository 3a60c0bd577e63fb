#pragma once
// The instrument's adapters on a simulated bus, installed under the driver
// library for one test: a scripted peer on the electronics and positioner
// interfaces, the simulated relay box on its own adapter. Ports the test opens
// are tracked and closed at the end, before the bus is taken away.

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"
#include "simulators/peers/RelayBox/SimulatedRelayBox.hpp"
#include "simulators/peers/Scripted/ScriptedPeer.hpp"
#include "simulators/peers/Topology/SimulatedInstrument.hpp"

class SimulatedInstrumentFixture : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Closes the port at the end of the test.
    std::shared_ptr<Dotfield::SerialPort> track(std::shared_ptr<Dotfield::SerialPort> port);

    // Driver time-outs and the wait for bytes cut down so that tests of
    // silence and late replies take a fraction of a second.
    static Dotfield::SerialPortTiming shortTiming();

    std::shared_ptr<Simulators::ScriptedPeer> electronics;
    std::shared_ptr<Simulators::ScriptedPeer> positioner;
    std::shared_ptr<Simulators::SimulatedRelayBox> relayBox;
    std::unique_ptr<Simulators::SimulatedInstrument> instrument;

  private:
    std::vector<std::shared_ptr<Dotfield::SerialPort>> ports_;
};
