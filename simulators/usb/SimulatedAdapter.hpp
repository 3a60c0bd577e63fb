#pragma once
// One simulated USB serial adapter: its descriptors and strings, one state per
// interface (line settings, latency timer, modem and line status, bytes
// queued towards the host, attached peer), the vendor requests it received,
// its EEPROM words, and the faults a test can inject.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "simulators/usb/AdapterDescription.hpp"
#include "simulators/usb/AdapterPeer.hpp"
#include "simulators/usb/LineClock.hpp"
#include "simulators/usb/SimulatedEEPROM.hpp"

namespace Simulators {

// One vendor request as the adapter received it.
struct ControlRequest {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
    bool operator==(const ControlRequest&) const = default;
};

// The lock, wake-up and line time shared by a bus and its adapters.
struct BusCore {
    explicit BusCore(std::shared_ptr<LineClock> lineClock) : clock(std::move(lineClock)) {}
    std::mutex mutex;
    std::condition_variable changed;
    const std::shared_ptr<LineClock> clock;
};

class SimulatedAdapter {
public:
    SimulatedAdapter(std::shared_ptr<BusCore> core, AdapterDescription description, std::uint8_t busNumber,
                     std::uint8_t deviceAddress);
    ~SimulatedAdapter();
    SimulatedAdapter(const SimulatedAdapter&) = delete;
    SimulatedAdapter& operator=(const SimulatedAdapter&) = delete;

    const AdapterDescription& description() const { return description_; }
    std::uint8_t busNumber() const { return busNumber_; }
    std::uint8_t deviceAddress() const { return deviceAddress_; }

    // The peer at the far end of interface n's serial line (nullptr detaches).
    void attachPeer(int interface, std::shared_ptr<AdapterPeer> peer);
    SimulatedSerialPort& port(int interface);

    // The next bulk-in transfer of the interface completes with exactly these
    // bytes (status bytes included), or stalls.
    void injectBulkIn(int interface, std::vector<std::uint8_t> transferContent);
    void injectStall(int interface);

    // The modem status (high nibble: CTS 0x10, DSR 0x20, RI 0x40, DCD 0x80)
    // and line status sent at the head of every packet.
    void setModemStatus(int interface, std::uint8_t modemStatus, std::uint8_t lineStatus);

    SerialLineSettings lineSettings(int interface) const;
    std::uint8_t latencyTimer(int interface) const;
    std::uint16_t bitMode(int interface) const;

    // Every vendor request received, in order.
    std::vector<ControlRequest> controlRequests() const;
    void clearControlRequests();

    // Bytes written to an interface that has no peer.
    std::vector<std::uint8_t> unclaimedWrites(int interface) const;

    // Faults: bulk-out transfers that time out without taking a byte; vendor
    // requests that fail with an I/O error.
    void setAcceptsWrites(bool accepts);
    void setControlRequestsFail(bool fail);
    // Fault: the next count bulk-out transfers time out at once without taking
    // a byte (a one-shot failed write, independent of the write time-out).
    void failNextWrites(int count);
    // Fault: the next count bulk-in submissions fail with LIBUSB_ERROR_OTHER.
    void failNextSubmissions(int count);
    // How many of those are still to come.
    int submissionFailuresLeft() const;

    // Bytes from the peer that no bulk-in transfer has carried to the host yet.
    std::size_t bytesTowardsHost(int interface) const;

    // The EEPROM (a word offset wraps around its size).
    std::uint16_t eepromWord(std::size_t offset) const;
    void setEepromWord(std::size_t offset, std::uint16_t word);
    SimulatedEEPROM& eeprom() { return eeprom_; }

    // Pulls the adapter off the bus: it leaves the device list, transfers in
    // flight end with "no device" and every later request fails.
    void unplug();
    bool plugged() const;

private:
    friend class SimulatedUSBBus;
    class Port;

    struct Interface {
        std::unique_ptr<SimulatedSerialPort> port;
        std::shared_ptr<AdapterPeer> peer;
        // Bytes from the peer, each with the line time at which its last
        // bit has arrived in the adapter.
        std::deque<std::uint8_t> toHost;
        std::deque<std::chrono::nanoseconds> arrivals;
        // When each direction of the line is free again (line time).
        std::chrono::nanoseconds toHostLineFree{0};
        std::chrono::nanoseconds toPeerLineFree{0};
        // The line time of the last packet that carried bytes: the latency
        // timer's ticks count from it.
        std::chrono::nanoseconds lastDataPacket{0};
        std::deque<std::vector<std::uint8_t>> injected; // an empty entry is a stall
        SerialLineSettings settings;
        std::uint8_t modemStatus = 0x30; // CTS and DSR active
        std::uint8_t lineStatus = 0x60;  // transmitter empty
        std::uint8_t latency = 16;
        std::uint16_t bitMode = 0;
        std::uint16_t eventCharacter = 0;
        std::uint16_t errorCharacter = 0;
        std::uint64_t claimedBy = 0; // handle id
        // The last status-only packet of an idle line, in the machine's
        // time: idle packets cost the host the same at any world rate.
        std::chrono::steady_clock::time_point lastPacket{};
        std::vector<std::uint8_t> unclaimedWrites;
    };

    // With the core's mutex held. Answers one vendor request; when it changed
    // an interface's line settings, changedInterface names it.
    int control(std::uint8_t requestType, std::uint8_t request, std::uint16_t value, std::uint16_t index,
                unsigned char* data, std::uint16_t length, int& changedInterface);
    // With the core's mutex held: the line time at which `count` bytes
    // written to the peer now have crossed the line.
    std::chrono::nanoseconds sendToPeer(int interface, std::size_t count);
    // When the adapter sends bytes on their way to the host: as soon as a
    // whole packet's payload has arrived, else at the first tick of the
    // latency timer after the first byte arrived (the timer restarts with
    // every packet that carries bytes). Nothing when no byte is on its way.
    static std::optional<std::chrono::nanoseconds> dataPacketDue(const Interface& state, std::size_t packetSize,
                                                                 std::chrono::nanoseconds latency);
    // Moves the bytes that have arrived by lineNow into packets of at most
    // packetSize, each led by the status bytes, while they fit the capacity;
    // a short packet ends the transfer, and follows whole packets only once
    // the latency timer has expired.
    static void takeArrivedBytes(Interface& state, std::size_t packetSize, std::size_t capacity,
                                 std::chrono::nanoseconds lineNow, bool latencyExpired,
                                 std::vector<std::uint8_t>& content);
    // With the core's mutex held: drops the bytes towards the host.
    static void purgeToHost(Interface& state);
    Interface& interfaceAt(int interface);
    const Interface& interfaceAt(int interface) const;
    int interfaceForPortIndex(std::uint16_t portIndex) const;
    bool bmOrLater() const;

    std::shared_ptr<BusCore> core_;
    AdapterDescription description_;
    std::uint8_t busNumber_;
    std::uint8_t deviceAddress_;
    bool plugged_ = true;
    bool acceptsWrites_ = true;
    bool controlRequestsFail_ = false;
    int submissionFailures_ = 0;
    int writeFailures_ = 0;
    std::vector<Interface> interfaces_;
    std::vector<ControlRequest> controlRequests_;
    SimulatedEEPROM eeprom_;
};

} // namespace Simulators
