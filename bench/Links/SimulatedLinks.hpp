#pragma once
// The simulated instrument on the bus the driver uses, and links opened to it
// with the application's settings (1 ms latency timer), closed again at the
// end.

#include <memory>
#include <vector>

#include "Dotfield/Instrument/SerialLink/OpenSerialPort.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "simulators/peers/Topology/SimulatedInstrument.hpp"

namespace LinkBenchmarks {

class OpenLinks {
  public:
    OpenLinks(const Simulators::SimulatedInstrument::Peers& peers,
              const std::vector<Dotfield::SerialPortType>& types)
        : instrument_(peers) {
        adapterdriver::setUSBBackend(instrument_.bus());
        for (const auto type : types) {
            const auto p = Dotfield::properties(type);
            ports_.push_back(Dotfield::openSerialPort(p.portName, p.baudRate, p.evenParity));
        }
    }
    ~OpenLinks() {
        for (const auto& port : ports_) {
            port->closeSerialPort();
        }
        adapterdriver::setUSBBackend(nullptr);
    }
    OpenLinks(const OpenLinks&) = delete;
    OpenLinks& operator=(const OpenLinks&) = delete;

    const std::shared_ptr<Dotfield::SerialPort>& port(std::size_t index) const { return ports_.at(index); }

  private:
    Simulators::SimulatedInstrument instrument_;
    std::vector<std::shared_ptr<Dotfield::SerialPort>> ports_;
};

} // namespace LinkBenchmarks
