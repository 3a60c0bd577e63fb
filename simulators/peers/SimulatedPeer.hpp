#pragma once
// The far end of one serial cable in the simulated instrument: a device that
// receives the bytes the host writes to its adapter interface, decodes them by
// its own reading of the protocol and sends reply bytes back through the
// adapter. This base class holds what every such device shares: the line
// settings check (a peer understands the host only at its own speed, word
// format and parity), the reply queue with due times, and fault injection
// (lost, corrupted, short and late replies, silence, unplugging).
//
// Replies that are due at once go out on the writer's thread before its write
// returns; later ones are sent by the peer's own delivery thread when due.
// Replies never overtake each other.
//
// Threads: the adapter calls receive and lineSettingsChanged on the writer's
// thread, the test calls the fault and inspection functions from its own. One
// mutex guards the base's and the derived peer's state: decode() runs with it
// held, and derived accessors take it through lockState().

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "simulators/peers/ReplyFault.hpp"
#include "simulators/usb/AdapterPeer.hpp"
#include "simulators/usb/SerialLineSettings.hpp"

namespace Simulators {

class SimulatedPeer : public AdapterPeer {
  public:
    using Clock = std::chrono::steady_clock;

    // The peer's own line: its speed, word length, parity and stop bits count.
    explicit SimulatedPeer(SerialLineSettings expectedLine);
    ~SimulatedPeer() override;
    SimulatedPeer(const SimulatedPeer&) = delete;
    SimulatedPeer& operator=(const SimulatedPeer&) = delete;

    // ---- AdapterPeer ---------------------------------------------------------

    // At the peer's own line settings the bytes are decoded; at any other they
    // reach it as noise and are only counted.
    void receive(std::span<const std::uint8_t> bytes, SimulatedSerialPort& port) override;
    void lineSettingsChanged(const SerialLineSettings& settings, SimulatedSerialPort& port) override;

    // Forgets the adapter interface (before the adapter goes away): nothing
    // more is sent, and replies still queued are dropped.
    void detachFromAdapter();

    // Called, outside the peer's lock, when the cable is pulled (true) or put
    // back (false), so whoever built the bus can take the adapter off it.
    void setPlugListener(std::function<void(bool unplugged)> listener);

    // ---- Faults --------------------------------------------------------------

    // Queues a fault for the next reply that has none yet.
    void queueReplyFault(const ReplyFault& fault);
    // Every reply from now on is handed over this much later (0: at once).
    void setReplyDelay(std::chrono::nanoseconds delay);
    // A silent peer still listens and changes state, but sends nothing.
    void goSilent();
    void speakAgain();
    // Pulls the cable: replies still queued are lost and nothing is received
    // until it is put back.
    void unplug();
    void plugBackIn();
    void clearFaults();

    // ---- Traffic the peer starts itself ----------------------------------------

    // Sends bytes that answer nothing (a late reply, a message of its own),
    // `after` from now; faults apply as to any reply.
    void sendUnprompted(std::vector<std::uint8_t> bytes, std::chrono::nanoseconds after = {});

    // ---- Inspection ----------------------------------------------------------

    SerialLineSettings expectedLine() const;
    bool isUnplugged() const;
    // Every byte the peer understood, in arrival order.
    std::vector<std::uint8_t> bytesFromHost() const;
    // Bytes that arrived at the wrong line settings.
    std::size_t noiseByteCount() const;
    // Replies the peer produced, whether or not a fault spoiled them.
    std::size_t replyCount() const;

  protected:
    // Decodes newly understood bytes; runs with the state lock held. Frames
    // may arrive in pieces, so a peer keeps what it has not consumed yet.
    virtual void decode(std::span<const std::uint8_t> bytes) = 0;
    // Queues one reply, handed over `after` from now (faults add to that);
    // for use inside decode() (the lock is held there).
    void reply(std::vector<std::uint8_t> bytes, std::chrono::nanoseconds after = {});
    // Changes the speed the peer understands from now on (a device told to
    // switch it); for use inside decode() or under lockState().
    void setExpectedBaudRate(std::uint32_t baudRate) { expectedLine_.baudRate = baudRate; }
    // For derived accessors that read or change state outside decode().
    std::unique_lock<std::mutex> lockState() const { return std::unique_lock(mutex_); }

  private:
    struct PendingReply {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };

    bool understands(const SerialLineSettings& line) const;
    // Sends every reply due by now, in order.
    void sendDueReplies();
    void runDelivery();

    SerialLineSettings expectedLine_;
    mutable std::mutex mutex_;
    std::condition_variable deliveryWake_;
    SimulatedSerialPort* port_ = nullptr;
    std::deque<PendingReply> replies_;
    std::deque<ReplyFault> faults_;
    std::chrono::nanoseconds replyDelay_{0};
    bool silent_ = false;
    bool unplugged_ = false;
    bool stopping_ = false;
    std::vector<std::uint8_t> understood_;
    std::size_t noiseBytes_ = 0;
    std::size_t repliesProduced_ = 0;

    // Held while replies are taken and sent, so two senders keep their order.
    std::mutex sendMutex_;
    std::mutex listenerMutex_;
    std::function<void(bool)> plugListener_;

    std::thread delivery_;
};

} // namespace Simulators
