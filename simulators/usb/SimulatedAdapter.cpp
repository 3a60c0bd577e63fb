#include "simulators/usb/SimulatedAdapter.hpp"

#include <algorithm>
#include <utility>

#include <libusb.h>

namespace Simulators {

namespace {

constexpr std::uint8_t directionIn = 0x80;
constexpr std::uint8_t modemStatusReservedBit = 0x01;

bool revisionIn(std::uint16_t bcdDevice, std::initializer_list<unsigned> revisions) {
    return std::find(revisions.begin(), revisions.end(), static_cast<unsigned>(bcdDevice >> 8)) !=
           revisions.end();
}

} // namespace

class SimulatedAdapter::Port final : public SimulatedSerialPort {
public:
    Port(SimulatedAdapter& adapter, int interface) : adapter_(adapter), interface_(interface) {}

    void send(std::span<const std::uint8_t> bytes) override {
        {
            std::lock_guard guard(adapter_.core_->mutex);
            if (!adapter_.plugged_) {
                return;
            }
            // The bytes leave the peer one after the other, once the line
            // is free, each taking its time on the wire.
            auto& state = adapter_.interfaceAt(interface_);
            const std::chrono::nanoseconds perByte = byteDuration(state.settings);
            std::chrono::nanoseconds arrival = std::max(adapter_.core_->clock->now(), state.toHostLineFree);
            for (const std::uint8_t byte : bytes) {
                arrival += perByte;
                state.toHost.push_back(byte);
                state.arrivals.push_back(arrival);
            }
            state.toHostLineFree = arrival;
        }
        adapter_.core_->changed.notify_all();
    }

    SerialLineSettings lineSettings() const override { return adapter_.lineSettings(interface_); }

private:
    SimulatedAdapter& adapter_;
    int interface_;
};

SimulatedAdapter::SimulatedAdapter(std::shared_ptr<BusCore> core, AdapterDescription description,
                                   std::uint8_t busNumber, std::uint8_t deviceAddress)
    : core_(std::move(core)), description_(std::move(description)), busNumber_(busNumber),
      deviceAddress_(deviceAddress), eeprom_(description_.eepromWords) {
    eeprom_.load(description_.eepromImage);
    interfaces_.resize(static_cast<std::size_t>(std::max(1, description_.interfaceCount)));
    for (std::size_t i = 0; i < interfaces_.size(); ++i) {
        interfaces_[i].port = std::make_unique<Port>(*this, static_cast<int>(i));
    }
}

SimulatedAdapter::~SimulatedAdapter() = default;

std::chrono::nanoseconds SimulatedAdapter::sendToPeer(int interface, std::size_t count) {
    auto& state = interfaceAt(interface);
    const std::chrono::nanoseconds start = std::max(core_->clock->now(), state.toPeerLineFree);
    state.toPeerLineFree = start + byteDuration(state.settings) * static_cast<std::int64_t>(count);
    return state.toPeerLineFree;
}

std::optional<std::chrono::nanoseconds> SimulatedAdapter::dataPacketDue(const Interface& state,
                                                                       std::size_t packetSize,
                                                                       std::chrono::nanoseconds latency) {
    if (state.arrivals.empty()) {
        return std::nullopt;
    }
    const std::chrono::nanoseconds first = state.arrivals.front();
    const std::int64_t ticks = std::max<std::int64_t>(
        1, (first - state.lastDataPacket + latency - std::chrono::nanoseconds(1)) / latency);
    std::chrono::nanoseconds due = state.lastDataPacket + latency * ticks;
    const std::size_t payload = packetSize - 2;
    if (state.arrivals.size() >= payload) {
        due = std::min(due, state.arrivals[payload - 1]);
    }
    return due;
}

void SimulatedAdapter::takeArrivedBytes(Interface& state, std::size_t packetSize, std::size_t capacity,
                                        std::chrono::nanoseconds lineNow, bool latencyExpired,
                                        std::vector<std::uint8_t>& content) {
    const std::uint8_t status0 = static_cast<std::uint8_t>(state.modemStatus | modemStatusReservedBit);
    const std::size_t arrived = static_cast<std::size_t>(
        std::upper_bound(state.arrivals.begin(), state.arrivals.end(), lineNow) - state.arrivals.begin());
    std::size_t taken = 0;
    while (taken < arrived && content.size() + packetSize <= capacity) {
        const std::size_t payload = std::min(packetSize - 2, arrived - taken);
        // Behind whole packets, the bytes of a part packet wait for the
        // latency timer, as in the adapter itself.
        if (payload < packetSize - 2 && taken > 0 && !latencyExpired) {
            break;
        }
        content.push_back(status0);
        content.push_back(state.lineStatus);
        const auto from = state.toHost.begin() + static_cast<std::ptrdiff_t>(taken);
        content.insert(content.end(), from, from + static_cast<std::ptrdiff_t>(payload));
        taken += payload;
        if (payload < packetSize - 2) {
            break; // a short packet ends the transfer
        }
    }
    state.toHost.erase(state.toHost.begin(), state.toHost.begin() + static_cast<std::ptrdiff_t>(taken));
    state.arrivals.erase(state.arrivals.begin(), state.arrivals.begin() + static_cast<std::ptrdiff_t>(taken));
}

void SimulatedAdapter::purgeToHost(Interface& state) {
    state.toHost.clear();
    state.arrivals.clear();
}

SimulatedAdapter::Interface& SimulatedAdapter::interfaceAt(int interface) {
    return interfaces_.at(static_cast<std::size_t>(interface));
}

const SimulatedAdapter::Interface& SimulatedAdapter::interfaceAt(int interface) const {
    return interfaces_.at(static_cast<std::size_t>(interface));
}

bool SimulatedAdapter::bmOrLater() const {
    if ((description_.bcdDevice >> 8) == 0x02) {
        return !description_.hasSerialNumber;
    }
    return revisionIn(description_.bcdDevice, {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x10});
}

// Port index 1 is interface A; 0 also means the first interface.
int SimulatedAdapter::interfaceForPortIndex(std::uint16_t portIndex) const {
    const int port = portIndex & 0xFF;
    const int interface = port == 0 ? 0 : port - 1;
    return std::min(interface, static_cast<int>(interfaces_.size()) - 1);
}

void SimulatedAdapter::attachPeer(int interface, std::shared_ptr<AdapterPeer> peer) {
    std::lock_guard guard(core_->mutex);
    interfaceAt(interface).peer = std::move(peer);
}

SimulatedSerialPort& SimulatedAdapter::port(int interface) {
    std::lock_guard guard(core_->mutex);
    return *interfaceAt(interface).port;
}

void SimulatedAdapter::injectBulkIn(int interface, std::vector<std::uint8_t> transferContent) {
    {
        std::lock_guard guard(core_->mutex);
        if (transferContent.empty()) {
            transferContent = {0x01, 0x60};
        }
        interfaceAt(interface).injected.push_back(std::move(transferContent));
    }
    core_->changed.notify_all();
}

void SimulatedAdapter::injectStall(int interface) {
    {
        std::lock_guard guard(core_->mutex);
        interfaceAt(interface).injected.emplace_back();
    }
    core_->changed.notify_all();
}

void SimulatedAdapter::setModemStatus(int interface, std::uint8_t modemStatus, std::uint8_t lineStatus) {
    std::lock_guard guard(core_->mutex);
    auto& state = interfaceAt(interface);
    state.modemStatus = modemStatus & 0xF0;
    state.lineStatus = lineStatus;
}

SerialLineSettings SimulatedAdapter::lineSettings(int interface) const {
    std::lock_guard guard(core_->mutex);
    return interfaceAt(interface).settings;
}

std::uint8_t SimulatedAdapter::latencyTimer(int interface) const {
    std::lock_guard guard(core_->mutex);
    return interfaceAt(interface).latency;
}

std::uint16_t SimulatedAdapter::bitMode(int interface) const {
    std::lock_guard guard(core_->mutex);
    return interfaceAt(interface).bitMode;
}

std::vector<ControlRequest> SimulatedAdapter::controlRequests() const {
    std::lock_guard guard(core_->mutex);
    return controlRequests_;
}

void SimulatedAdapter::clearControlRequests() {
    std::lock_guard guard(core_->mutex);
    controlRequests_.clear();
}

std::vector<std::uint8_t> SimulatedAdapter::unclaimedWrites(int interface) const {
    std::lock_guard guard(core_->mutex);
    return interfaceAt(interface).unclaimedWrites;
}

void SimulatedAdapter::setAcceptsWrites(bool accepts) {
    {
        std::lock_guard guard(core_->mutex);
        acceptsWrites_ = accepts;
    }
    core_->changed.notify_all();
}

void SimulatedAdapter::setControlRequestsFail(bool fail) {
    std::lock_guard guard(core_->mutex);
    controlRequestsFail_ = fail;
}

void SimulatedAdapter::failNextWrites(int count) {
    std::lock_guard guard(core_->mutex);
    writeFailures_ = count;
}

void SimulatedAdapter::failNextSubmissions(int count) {
    std::lock_guard guard(core_->mutex);
    submissionFailures_ = count;
}

int SimulatedAdapter::submissionFailuresLeft() const {
    std::lock_guard guard(core_->mutex);
    return submissionFailures_;
}

std::size_t SimulatedAdapter::bytesTowardsHost(int interface) const {
    std::lock_guard guard(core_->mutex);
    return interfaceAt(interface).toHost.size();
}

std::uint16_t SimulatedAdapter::eepromWord(std::size_t offset) const {
    return eeprom_.read(static_cast<std::uint32_t>(offset));
}

void SimulatedAdapter::setEepromWord(std::size_t offset, std::uint16_t word) {
    eeprom_.write(static_cast<std::uint32_t>(offset), word);
}

void SimulatedAdapter::unplug() {
    {
        std::lock_guard guard(core_->mutex);
        plugged_ = false;
    }
    core_->changed.notify_all();
}

bool SimulatedAdapter::plugged() const {
    std::lock_guard guard(core_->mutex);
    return plugged_;
}

int SimulatedAdapter::control(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                              std::uint16_t index, unsigned char* data, std::uint16_t length,
                              int& changedInterface) {
    changedInterface = -1;
    controlRequests_.push_back({requestType, request, value, index, length});
    if (!plugged_) {
        return LIBUSB_ERROR_NO_DEVICE;
    }
    if (controlRequestsFail_) {
        return LIBUSB_ERROR_IO;
    }
    const bool in = (requestType & directionIn) != 0;
    const bool latencyTimerPresent = bmOrLater();
    auto answer = [&](std::initializer_list<std::uint8_t> bytes) -> int {
        if (!in || data == nullptr || length < bytes.size()) {
            return LIBUSB_ERROR_PIPE;
        }
        std::copy(bytes.begin(), bytes.end(), data);
        return static_cast<int>(bytes.size());
    };
    switch (request) {
    case 0: { // reset, purge receive, purge transmit
        if (value == 1) {
            purgeToHost(interfaceAt(interfaceForPortIndex(index)));
        }
        return 0;
    }
    case 1: { // modem control: high byte selects, low byte sets DTR (bit 0) and RTS (bit 1)
        const int interface = interfaceForPortIndex(index);
        auto& settings = interfaceAt(interface).settings;
        if ((value & 0x0100) != 0) {
            settings.dtr = (value & 0x01) != 0;
        }
        if ((value & 0x0200) != 0) {
            settings.rts = (value & 0x02) != 0;
        }
        changedInterface = interface;
        return 0;
    }
    case 2: { // flow control: mode in the index's high byte
        const int interface = interfaceForPortIndex(index);
        interfaceAt(interface).settings.flowControl = static_cast<std::uint16_t>(index & 0xFF00);
        changedInterface = interface;
        return 0;
    }
    case 3: { // baud rate
        const bool carriesPort = revisionIn(description_.bcdDevice, {0x05, 0x07, 0x08, 0x09, 0x10});
        const int interface = carriesPort ? interfaceForPortIndex(index) : 0;
        const bool twelve = revisionIn(description_.bcdDevice, {0x07, 0x08, 0x09});
        interfaceAt(interface).settings.baudRate =
            decodeBaudRate(value, index, twelve, carriesPort, bmOrLater());
        changedInterface = interface;
        return 0;
    }
    case 4: { // data characteristics
        const int interface = interfaceForPortIndex(index);
        applyDataCharacteristics(interfaceAt(interface).settings, value);
        changedInterface = interface;
        return 0;
    }
    case 5: { // modem status of the interface numbered by the index
        const int interface =
            std::min(static_cast<int>(index & 0xFF), static_cast<int>(interfaces_.size()) - 1);
        const auto& state = interfaceAt(interface);
        return answer({static_cast<std::uint8_t>(state.modemStatus | 0x01), state.lineStatus});
    }
    case 6:
        interfaceAt(interfaceForPortIndex(index)).eventCharacter = value;
        return 0;
    case 7:
        interfaceAt(interfaceForPortIndex(index)).errorCharacter = value;
        return 0;
    case 9:
        if (!latencyTimerPresent) {
            return LIBUSB_ERROR_PIPE;
        }
        interfaceAt(interfaceForPortIndex(index)).latency = static_cast<std::uint8_t>(value & 0xFF);
        return 0;
    case 10:
        if (!latencyTimerPresent) {
            return LIBUSB_ERROR_PIPE;
        }
        return answer({interfaceAt(interfaceForPortIndex(index)).latency});
    case 11:
        interfaceAt(interfaceForPortIndex(index)).bitMode = value;
        return 0;
    case 12: // the pins read back as the low byte of the bit-mode value
        return answer({static_cast<std::uint8_t>(interfaceAt(interfaceForPortIndex(index)).bitMode & 0xFF)});
    case 0x90:
    case 0x91:
    case 0x92:
        return eeprom_.answerControlTransfer(requestType, request, value, index, data, length)
            .value_or(LIBUSB_ERROR_PIPE);
    default:
        return LIBUSB_ERROR_PIPE;
    }
}

} // namespace Simulators
