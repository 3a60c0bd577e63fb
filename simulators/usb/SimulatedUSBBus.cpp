#include "simulators/usb/SimulatedUSBBus.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <thread>

namespace Simulators {

using adapterdriver::USBConfigDescriptor;
using adapterdriver::USBDevice;
using adapterdriver::USBDeviceHandle;
using adapterdriver::USBTransfer;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint8_t stringManufacturer = 1;
constexpr std::uint8_t stringProduct = 2;
constexpr std::uint8_t stringSerialNumber = 3;
constexpr std::uint8_t modemStatusReservedBit = 0x01;

// The host polls in 1 ms USB frames, so an adapter's status-only packet goes
// out at the first frame start at or after its latency timer runs out. Every
// adapter on the bus then answers in the same frames, and the thread that
// handles events wakes once for all of them.
Clock::time_point onFrameGrid(Clock::time_point time) {
    constexpr auto frame = std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(1));
    const auto intoFrame = time.time_since_epoch() % frame;
    return intoFrame == Clock::duration::zero() ? time : time + (frame - intoFrame);
}

class SimulatedDevice final : public USBDevice {
public:
    explicit SimulatedDevice(std::shared_ptr<SimulatedAdapter> adapter) : adapter(std::move(adapter)) {}
    std::shared_ptr<SimulatedAdapter> adapter;
};

class SimulatedHandle final : public USBDeviceHandle {
public:
    SimulatedHandle(std::shared_ptr<SimulatedAdapter> adapter, std::uint64_t id)
        : adapter(std::move(adapter)), id(id) {}
    std::shared_ptr<SimulatedAdapter> adapter;
    std::uint64_t id;
};

class SimulatedTransfer final : public USBTransfer {};

SimulatedAdapter& adapterOf(USBDevice& device) {
    return *static_cast<SimulatedDevice&>(device).adapter;
}
SimulatedHandle& simulated(USBDeviceHandle& handle) {
    return static_cast<SimulatedHandle&>(handle);
}

int interfaceOfEndpoint(unsigned char endpoint) {
    return ((endpoint & 0x0F) - 1) / 2;
}

// Set while this thread runs completion callbacks.
thread_local bool inCompletionCallback = false;

} // namespace

SimulatedUSBBus::SimulatedUSBBus(std::shared_ptr<LineClock> lineClock)
    : core_(std::make_shared<BusCore>(lineClock ? std::move(lineClock) : std::make_shared<MachineLineClock>())) {}

SimulatedUSBBus::~SimulatedUSBBus() = default;

std::shared_ptr<SimulatedAdapter> SimulatedUSBBus::plugIn(AdapterDescription description) {
    std::lock_guard guard(core_->mutex);
    auto adapter = std::make_shared<SimulatedAdapter>(core_, std::move(description), 1, nextAddress_++);
    adapters_.push_back(adapter);
    return adapter;
}

void SimulatedUSBBus::setInitFails(bool fails) {
    std::lock_guard guard(core_->mutex);
    initFails_ = fails;
}

std::size_t SimulatedUSBBus::openHandleCount() const {
    std::lock_guard guard(core_->mutex);
    return openHandles_;
}

SimulatedUSBBus::TransferCounts SimulatedUSBBus::transferCounts() const {
    std::lock_guard guard(core_->mutex);
    return transferCounts_;
}

int SimulatedUSBBus::init() {
    std::lock_guard guard(core_->mutex);
    return initFails_ ? LIBUSB_ERROR_OTHER : LIBUSB_SUCCESS;
}

void SimulatedUSBBus::exit() {}

std::vector<SimulatedUSBBus::Completion>
SimulatedUSBBus::collectCompletions(Clock::time_point now, std::chrono::nanoseconds lineNow,
                                    Clock::time_point& nextDue, std::chrono::nanoseconds& nextLineDue) {
    std::vector<Completion> completions;
    nextDue = Clock::time_point::max();
    nextLineDue = std::chrono::nanoseconds::max();
    std::vector<std::pair<const SimulatedAdapter*, int>> busyInterfaces;
    for (auto it = pending_.begin(); it != pending_.end();) {
        Pending& entry = *it;
        SimulatedAdapter& adapter = *entry.adapter;
        Completion completion;
        completion.transfer = entry.transfer;
        bool complete = false;
        const std::pair<const SimulatedAdapter*, int> key{&adapter, entry.interface};
        const bool head =
            std::find(busyInterfaces.begin(), busyInterfaces.end(), key) == busyInterfaces.end();
        if (entry.cancelled) {
            completion.status = LIBUSB_TRANSFER_CANCELLED;
            complete = true;
        } else if (!adapter.plugged_) {
            completion.status = LIBUSB_TRANSFER_NO_DEVICE;
            complete = true;
        } else if (head) {
            auto& state = adapter.interfaceAt(entry.interface);
            const std::size_t packetSize = adapter.description_.maxPacketSize;
            const std::size_t capacity = static_cast<std::size_t>(std::max(entry.transfer->length, 0));
            const auto latency = std::chrono::milliseconds(std::max<int>(state.latency, 1));
            if (!state.injected.empty()) {
                completion.content = std::move(state.injected.front());
                state.injected.pop_front();
                if (completion.content.empty()) {
                    completion.status = LIBUSB_TRANSFER_STALL;
                } else if (completion.content.size() > capacity) {
                    completion.content.resize(capacity);
                }
                complete = true;
            } else {
                const auto latencyOnLine = std::chrono::nanoseconds(latency);
                const std::optional<std::chrono::nanoseconds> due =
                    SimulatedAdapter::dataPacketDue(state, packetSize, latencyOnLine);
                const bool arrived = !state.arrivals.empty() && state.arrivals.front() <= lineNow;
                if (due && *due <= lineNow && capacity >= 2) {
                    SimulatedAdapter::takeArrivedBytes(state, std::min(packetSize, capacity), capacity, lineNow,
                                                       lineNow >= state.lastDataPacket + latencyOnLine,
                                                       completion.content);
                    state.lastDataPacket = lineNow;
                    state.lastPacket = now;
                    complete = true;
                } else if (!arrived && now >= onFrameGrid(state.lastPacket + latency)) {
                    // Nothing has reached the adapter yet: a status-only packet.
                    completion.content = {static_cast<std::uint8_t>(state.modemStatus | modemStatusReservedBit),
                                          state.lineStatus};
                    state.lastPacket = now;
                    complete = true;
                } else {
                    if (due && *due > lineNow) {
                        nextLineDue = std::min(nextLineDue, *due);
                    }
                    if (!arrived) {
                        nextDue = std::min(nextDue, onFrameGrid(state.lastPacket + latency));
                    }
                }
            }
            busyInterfaces.push_back(key);
        }
        if (complete) {
            completions.push_back(std::move(completion));
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    return completions;
}

int SimulatedUSBBus::handleEventsTimeout(std::chrono::microseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    std::vector<Completion> completions;
    {
        std::unique_lock guard(core_->mutex);
        while (true) {
            const Clock::time_point now = Clock::now();
            Clock::time_point nextDue;
            std::chrono::nanoseconds nextLineDue;
            completions = collectCompletions(now, core_->clock->now(), nextDue, nextLineDue);
            if (!completions.empty() || now >= deadline) {
                transferCounts_.completed += completions.size();
                break;
            }
            Clock::time_point wakeAt = std::min(deadline, nextDue);
            if (nextLineDue != std::chrono::nanoseconds::max()) {
                wakeAt = std::min(wakeAt, now + std::chrono::duration_cast<Clock::duration>(
                                                    core_->clock->realTimeUntil(nextLineDue)));
            }
            if (wakeAt > now) {
                core_->changed.wait_until(guard, wakeAt);
            }
        }
    }
    for (auto& completion : completions) {
        USBTransfer& transfer = *completion.transfer;
        const auto count =
            std::min(completion.content.size(), static_cast<std::size_t>(std::max(transfer.length, 0)));
        if (count > 0) {
            std::memcpy(transfer.buffer, completion.content.data(), count);
        }
        transfer.actualLength = static_cast<int>(count);
        transfer.status = completion.status;
        // The transfer may be freed by its owner once the callback ran.
        if (transfer.callback != nullptr) {
            inCompletionCallback = true;
            transfer.callback(transfer);
            inCompletionCallback = false;
        }
    }
    return LIBUSB_SUCCESS;
}

int SimulatedUSBBus::getDeviceList(std::vector<std::shared_ptr<USBDevice>>& devices) {
    std::lock_guard guard(core_->mutex);
    devices.clear();
    for (const auto& adapter : adapters_) {
        if (adapter->plugged_) {
            devices.push_back(std::make_shared<SimulatedDevice>(adapter));
        }
    }
    return static_cast<int>(devices.size());
}

int SimulatedUSBBus::getDeviceDescriptor(USBDevice& device, libusb_device_descriptor& descriptor) {
    const AdapterDescription& description = adapterOf(device).description();
    descriptor = libusb_device_descriptor{};
    descriptor.bLength = LIBUSB_DT_DEVICE_SIZE;
    descriptor.bDescriptorType = LIBUSB_DT_DEVICE;
    descriptor.bcdUSB = description.maxPacketSize > 64 ? 0x0200 : 0x0110;
    descriptor.bMaxPacketSize0 = 64;
    descriptor.idVendor = description.vendorId;
    descriptor.idProduct = description.productId;
    descriptor.bcdDevice = description.bcdDevice;
    descriptor.iManufacturer = stringManufacturer;
    descriptor.iProduct = stringProduct;
    descriptor.iSerialNumber = description.hasSerialNumber ? stringSerialNumber : 0;
    descriptor.bNumConfigurations = 1;
    return LIBUSB_SUCCESS;
}

int SimulatedUSBBus::getConfigDescriptor(USBDevice& device, std::uint8_t configIndex,
                                         USBConfigDescriptor& descriptor) {
    if (configIndex != 0) {
        return LIBUSB_ERROR_NOT_FOUND;
    }
    const AdapterDescription& description = adapterOf(device).description();
    descriptor = USBConfigDescriptor{};
    for (int i = 0; i < std::max(1, description.interfaceCount); ++i) {
        adapterdriver::USBInterfaceDescriptor interface;
        interface.bInterfaceNumber = static_cast<std::uint8_t>(i);
        interface.endpoints.push_back(
            {static_cast<std::uint8_t>(0x81 + 2 * i), LIBUSB_TRANSFER_TYPE_BULK, description.maxPacketSize});
        interface.endpoints.push_back(
            {static_cast<std::uint8_t>(0x02 + 2 * i), LIBUSB_TRANSFER_TYPE_BULK, description.maxPacketSize});
        descriptor.interfaces.push_back(std::move(interface));
    }
    return LIBUSB_SUCCESS;
}

std::uint8_t SimulatedUSBBus::getBusNumber(USBDevice& device) {
    return adapterOf(device).busNumber();
}

std::uint8_t SimulatedUSBBus::getDeviceAddress(USBDevice& device) {
    return adapterOf(device).deviceAddress();
}

int SimulatedUSBBus::open(USBDevice& device, std::unique_ptr<USBDeviceHandle>& handle) {
    auto adapter = static_cast<SimulatedDevice&>(device).adapter;
    std::lock_guard guard(core_->mutex);
    if (!adapter->plugged_) {
        return LIBUSB_ERROR_NO_DEVICE;
    }
    handle = std::make_unique<SimulatedHandle>(std::move(adapter), nextHandleId_++);
    ++openHandles_;
    return LIBUSB_SUCCESS;
}

void SimulatedUSBBus::close(std::unique_ptr<USBDeviceHandle> handle) {
    if (!handle) {
        return;
    }
    auto& simulatedHandle = simulated(*handle);
    std::lock_guard guard(core_->mutex);
    for (auto& interface : simulatedHandle.adapter->interfaces_) {
        if (interface.claimedBy == simulatedHandle.id) {
            interface.claimedBy = 0;
        }
    }
    --openHandles_;
}

int SimulatedUSBBus::setAutoDetachKernelDriver(USBDeviceHandle& /*handle*/, bool /*enable*/) {
    return LIBUSB_SUCCESS;
}

int SimulatedUSBBus::claimInterface(USBDeviceHandle& handle, int interfaceNumber) {
    auto& simulatedHandle = simulated(handle);
    std::lock_guard guard(core_->mutex);
    SimulatedAdapter& adapter = *simulatedHandle.adapter;
    if (!adapter.plugged_) {
        return LIBUSB_ERROR_NO_DEVICE;
    }
    if (interfaceNumber < 0 || static_cast<std::size_t>(interfaceNumber) >= adapter.interfaces_.size()) {
        return LIBUSB_ERROR_NOT_FOUND;
    }
    auto& interface = adapter.interfaceAt(interfaceNumber);
    if (interface.claimedBy != 0 && interface.claimedBy != simulatedHandle.id) {
        return LIBUSB_ERROR_BUSY;
    }
    interface.claimedBy = simulatedHandle.id;
    return LIBUSB_SUCCESS;
}

int SimulatedUSBBus::releaseInterface(USBDeviceHandle& handle, int interfaceNumber) {
    auto& simulatedHandle = simulated(handle);
    std::lock_guard guard(core_->mutex);
    SimulatedAdapter& adapter = *simulatedHandle.adapter;
    if (interfaceNumber < 0 || static_cast<std::size_t>(interfaceNumber) >= adapter.interfaces_.size() ||
        adapter.interfaceAt(interfaceNumber).claimedBy != simulatedHandle.id) {
        return LIBUSB_ERROR_NOT_FOUND;
    }
    adapter.interfaceAt(interfaceNumber).claimedBy = 0;
    return adapter.plugged_ ? LIBUSB_SUCCESS : LIBUSB_ERROR_NO_DEVICE;
}

int SimulatedUSBBus::getStringDescriptorASCII(USBDeviceHandle& handle, std::uint8_t index,
                                              unsigned char* data, int length) {
    auto& simulatedHandle = simulated(handle);
    std::lock_guard guard(core_->mutex);
    const SimulatedAdapter& adapter = *simulatedHandle.adapter;
    if (!adapter.plugged_) {
        return LIBUSB_ERROR_NO_DEVICE;
    }
    const AdapterDescription& description = adapter.description();
    const std::string* text = nullptr;
    if (index == stringManufacturer) {
        text = &description.manufacturer;
    } else if (index == stringProduct) {
        text = &description.product;
    } else if (index == stringSerialNumber && description.hasSerialNumber) {
        text = &description.serialNumber;
    }
    if (text == nullptr) {
        return LIBUSB_ERROR_PIPE;
    }
    if (length <= 0) {
        return LIBUSB_ERROR_INVALID_PARAM;
    }
    const std::size_t count = std::min(text->size(), static_cast<std::size_t>(length - 1));
    std::memcpy(data, text->data(), count);
    data[count] = 0;
    return static_cast<int>(count);
}

int SimulatedUSBBus::controlTransfer(USBDeviceHandle& handle, std::uint8_t requestType, std::uint8_t request,
                                     std::uint16_t value, std::uint16_t index, unsigned char* data,
                                     std::uint16_t length, unsigned int /*timeoutMilliseconds*/) {
    auto& simulatedHandle = simulated(handle);
    SimulatedAdapter& adapter = *simulatedHandle.adapter;
    int changedInterface = -1;
    int result = 0;
    std::shared_ptr<AdapterPeer> peer;
    SerialLineSettings settings;
    SimulatedSerialPort* port = nullptr;
    {
        std::lock_guard guard(core_->mutex);
        result = adapter.control(requestType, request, value, index, data, length, changedInterface);
        if (changedInterface >= 0) {
            auto& interface = adapter.interfaceAt(changedInterface);
            peer = interface.peer;
            settings = interface.settings;
            port = interface.port.get();
        }
    }
    core_->changed.notify_all();
    if (peer) {
        peer->lineSettingsChanged(settings, *port);
    }
    return result;
}

int SimulatedUSBBus::bulkTransfer(USBDeviceHandle& handle, unsigned char endpoint, unsigned char* data,
                                  int length, int* transferred, unsigned int timeoutMilliseconds) {
    if (transferred != nullptr) {
        *transferred = 0;
    }
    if ((endpoint & 0x80) != 0) {
        return LIBUSB_ERROR_NOT_SUPPORTED; // the driver reads asynchronously only
    }
    auto& simulatedHandle = simulated(handle);
    SimulatedAdapter& adapter = *simulatedHandle.adapter;
    const int interfaceNumber = interfaceOfEndpoint(endpoint);
    std::shared_ptr<AdapterPeer> peer;
    SimulatedSerialPort* port = nullptr;
    std::optional<std::chrono::nanoseconds> crossed;
    {
        std::unique_lock guard(core_->mutex);
        if (interfaceNumber < 0 || static_cast<std::size_t>(interfaceNumber) >= adapter.interfaces_.size()) {
            return LIBUSB_ERROR_PIPE;
        }
        if (adapter.plugged_ && adapter.writeFailures_ > 0) {
            --adapter.writeFailures_;
            return LIBUSB_ERROR_TIMEOUT;
        }
        auto ready = [&] { return !adapter.plugged_ || adapter.acceptsWrites_; };
        if (timeoutMilliseconds == 0) {
            core_->changed.wait(guard, ready);
        } else if (!core_->changed.wait_for(guard, std::chrono::milliseconds(timeoutMilliseconds), ready)) {
            return LIBUSB_ERROR_TIMEOUT;
        }
        if (!adapter.plugged_) {
            return LIBUSB_ERROR_NO_DEVICE;
        }
        auto& interface = adapter.interfaceAt(interfaceNumber);
        peer = interface.peer;
        port = interface.port.get();
        if (!peer && length > 0) {
            interface.unclaimedWrites.insert(interface.unclaimedWrites.end(), data, data + length);
        }
        if (peer && length > 0) {
            crossed = adapter.sendToPeer(interfaceNumber, static_cast<std::size_t>(length));
        }
    }
    // The peer hears the bytes once they have crossed the line.
    if (crossed) {
        std::this_thread::sleep_for(core_->clock->realTimeUntil(*crossed));
    }
    if (transferred != nullptr) {
        *transferred = std::max(length, 0);
    }
    if (peer && length > 0) {
        peer->receive(std::span<const std::uint8_t>(data, static_cast<std::size_t>(length)), *port);
    }
    return LIBUSB_SUCCESS;
}

std::unique_ptr<USBTransfer> SimulatedUSBBus::allocTransfer() {
    return std::make_unique<SimulatedTransfer>();
}

int SimulatedUSBBus::submitTransfer(USBTransfer& transfer) {
    if (transfer.deviceHandle == nullptr) {
        return LIBUSB_ERROR_INVALID_PARAM;
    }
    auto& simulatedHandle = simulated(*transfer.deviceHandle);
    bool queuedBehindAnother = false;
    {
        std::lock_guard guard(core_->mutex);
        if (!simulatedHandle.adapter->plugged_) {
            return LIBUSB_ERROR_NO_DEVICE;
        }
        if (simulatedHandle.adapter->submissionFailures_ > 0) {
            --simulatedHandle.adapter->submissionFailures_;
            return LIBUSB_ERROR_OTHER;
        }
        const int interface = interfaceOfEndpoint(transfer.endpoint);
        if ((transfer.endpoint & 0x80) == 0 || interface < 0 ||
            static_cast<std::size_t>(interface) >= simulatedHandle.adapter->interfaces_.size()) {
            return LIBUSB_ERROR_INVALID_PARAM;
        }
        queuedBehindAnother = std::any_of(pending_.begin(), pending_.end(), [&](const Pending& entry) {
            return !entry.cancelled && entry.adapter == simulatedHandle.adapter && entry.interface == interface;
        });
        pending_.push_back({&transfer, simulatedHandle.adapter, interface, false});
        ++(inCompletionCallback ? transferCounts_.submittedFromCallbacks : transferCounts_.submittedElsewhere);
    }
    // A transfer queued behind another one of its endpoint cannot complete
    // before that one, which the event thread already waits for: as on a
    // real bus, handing a transfer back costs that thread no wake-up.
    if (!queuedBehindAnother) {
        core_->changed.notify_all();
    }
    return LIBUSB_SUCCESS;
}

int SimulatedUSBBus::cancelTransfer(USBTransfer& transfer) {
    {
        std::lock_guard guard(core_->mutex);
        const auto it = std::find_if(pending_.begin(), pending_.end(),
                                     [&](const Pending& entry) { return entry.transfer == &transfer; });
        if (it == pending_.end() || it->cancelled) {
            return LIBUSB_ERROR_NOT_FOUND;
        }
        it->cancelled = true;
    }
    core_->changed.notify_all();
    return LIBUSB_SUCCESS;
}

int SimulatedUSBBus::clearHalt(USBDeviceHandle& handle, unsigned char /*endpoint*/) {
    std::lock_guard guard(core_->mutex);
    return simulated(handle).adapter->plugged_ ? LIBUSB_SUCCESS : LIBUSB_ERROR_NO_DEVICE;
}

int SimulatedUSBBus::resetDevice(USBDeviceHandle& handle) {
    std::lock_guard guard(core_->mutex);
    return simulated(handle).adapter->plugged_ ? LIBUSB_SUCCESS : LIBUSB_ERROR_NO_DEVICE;
}

} // namespace Simulators
