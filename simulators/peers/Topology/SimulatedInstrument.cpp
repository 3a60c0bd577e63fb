#include "simulators/peers/Topology/SimulatedInstrument.hpp"

#include <utility>
#include <vector>

namespace Simulators {

SimulatedInstrument::SimulatedInstrument(Peers peers, std::shared_ptr<LineClock> lineClock)
    : peers_(std::move(peers)), bus_(std::make_shared<SimulatedUSBBus>(std::move(lineClock))) {
    plugInDualAdapter();
    plugInRelayAdapter();
    for (const auto& peer : {peers_.electronics, peers_.positioner}) {
        if (peer) {
            peer->setPlugListener([this](bool unplugged) { cablePulled(true, unplugged); });
        }
    }
    if (peers_.relayBox) {
        peers_.relayBox->setPlugListener([this](bool unplugged) { cablePulled(false, unplugged); });
    }
}

SimulatedInstrument::~SimulatedInstrument() {
    for (const auto& peer : {peers_.electronics, peers_.positioner, peers_.relayBox}) {
        if (peer) {
            peer->setPlugListener(nullptr);
            peer->detachFromAdapter();
        }
    }
}

AdapterDescription SimulatedInstrument::dualAdapterDescription() {
    return AdapterDescription::chip2232C("Dual RS232", "DF000001");
}

AdapterDescription SimulatedInstrument::relayAdapterDescription() {
    return AdapterDescription::chip232R("FT232R USB UART", "RB000001");
}

std::shared_ptr<SimulatedAdapter> SimulatedInstrument::dualAdapter() const {
    std::lock_guard lock(mutex_);
    return dualAdapter_;
}

std::shared_ptr<SimulatedAdapter> SimulatedInstrument::relayAdapter() const {
    std::lock_guard lock(mutex_);
    return relayAdapter_;
}

void SimulatedInstrument::plugInDualAdapter() {
    auto adapter = bus_->plugIn(dualAdapterDescription());
    adapter->attachPeer(electronicsInterface, peers_.electronics);
    adapter->attachPeer(positionerInterface, peers_.positioner);
    std::lock_guard lock(mutex_);
    dualAdapter_ = std::move(adapter);
}

void SimulatedInstrument::plugInRelayAdapter() {
    auto adapter = bus_->plugIn(relayAdapterDescription());
    adapter->attachPeer(0, peers_.relayBox);
    std::lock_guard lock(mutex_);
    relayAdapter_ = std::move(adapter);
}

void SimulatedInstrument::cablePulled(bool dual, bool unplugged) {
    if (!unplugged) {
        dual ? plugInDualAdapter() : plugInRelayAdapter();
        return;
    }
    const std::vector<std::shared_ptr<SimulatedPeer>> cabled =
        dual ? std::vector{peers_.electronics, peers_.positioner} : std::vector{peers_.relayBox};
    for (const auto& peer : cabled) {
        if (peer) {
            peer->detachFromAdapter();
        }
    }
    (dual ? dualAdapter() : relayAdapter())->unplug();
}

} // namespace Simulators
