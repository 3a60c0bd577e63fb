#pragma once
// The instrument's cabling on a simulated USB bus: a dual adapter ("Dual
// RS232") whose interface A carries the dispenser electronics and interface B
// the positioner, and a single adapter ("FT232R USB UART") carrying the relay
// box. Each position takes whatever peer a test gives it (or none).
//
// Pulling a peer's cable unplugs its adapter, both interfaces of the dual
// adapter together; putting it back plugs in a fresh adapter of the same kind
// with the same peers, as a reconnected device appears anew on a real bus.
// Install the bus with adapterdriver::setUSBBackend(instrument.bus()).

#include <memory>
#include <mutex>

#include "simulators/peers/SimulatedPeer.hpp"
#include "simulators/usb/SimulatedUSBBus.hpp"

namespace Simulators {

class SimulatedInstrument {
  public:
    struct Peers {
        std::shared_ptr<SimulatedPeer> electronics;
        std::shared_ptr<SimulatedPeer> positioner;
        std::shared_ptr<SimulatedPeer> relayBox;
    };

    static constexpr int electronicsInterface = 0; // "Dual RS232 A"
    static constexpr int positionerInterface = 1;  // "Dual RS232 B"

    // The serial lines run on the clock given (the world's), else on the
    // machine's time.
    explicit SimulatedInstrument(Peers peers, std::shared_ptr<LineClock> lineClock = nullptr);
    // Detaches the peers, so none sends into an adapter that is gone.
    ~SimulatedInstrument();
    SimulatedInstrument(const SimulatedInstrument&) = delete;
    SimulatedInstrument& operator=(const SimulatedInstrument&) = delete;

    const std::shared_ptr<SimulatedUSBBus>& bus() const { return bus_; }
    std::shared_ptr<SimulatedAdapter> dualAdapter() const;
    std::shared_ptr<SimulatedAdapter> relayAdapter() const;

    static AdapterDescription dualAdapterDescription();
    static AdapterDescription relayAdapterDescription();

  private:
    void plugInDualAdapter();
    void plugInRelayAdapter();
    void cablePulled(bool dual, bool unplugged);

    const Peers peers_;
    const std::shared_ptr<SimulatedUSBBus> bus_;
    mutable std::mutex mutex_;
    std::shared_ptr<SimulatedAdapter> dualAdapter_;
    std::shared_ptr<SimulatedAdapter> relayAdapter_;
};

} // namespace Simulators
