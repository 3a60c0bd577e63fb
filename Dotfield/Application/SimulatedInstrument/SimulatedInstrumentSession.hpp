#pragma once
// The simulated instrument the program runs on with --simulated-instrument:
// while it lives, the driver library sees its USB bus (the electronics, the
// chosen positioner model's controller and the relay box on their adapters)
// and the sensor library its humidity sensor. Build it before any adapter is
// opened; destroy it after every link is closed.

#include <memory>
#include <string>
#include <vector>

namespace Dotfield {

class SimulatedInstrumentSession {
  public:
    // The short names ("IIb", ...) of the models whose simulated positioner
    // controller is built.
    static std::vector<std::string> availableModels();
    static bool isAvailable(const std::string& model);

    // Installs the instrument; a model that is not available gets an empty
    // positioner cable. Throws std::runtime_error when the driver library
    // refuses the bus.
    explicit SimulatedInstrumentSession(const std::string& model);
    ~SimulatedInstrumentSession();
    SimulatedInstrumentSession(const SimulatedInstrumentSession&) = delete;
    SimulatedInstrumentSession& operator=(const SimulatedInstrumentSession&) = delete;

  private:
    struct Devices;
    std::unique_ptr<Devices> devices_;
};

} // namespace Dotfield
