#pragma once
// The far end of one serial cable in the simulated instrument: a device that
// receives the bytes the host writes to its adapter interface, decodes them by
// its own reading of the protocol and queues reply bytes for the adapter's
// bulk-in path. This base class holds what every such device shares: the line
// settings check, the reply queue with its due times, and fault injection
// (lost, corrupted, short and late replies, silence, unplugging).
//
// Threads: the adapter side calls receiveFromHost and takeBytesForHost from the
// simulated bus's threads, the test calls the fault and inspection functions
// from its own. One mutex guards the base and the derived peer's state: decode()
// runs with it held, and derived accessors take it through lockState().

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "simulators/peers/ReplyFault.hpp"
#include "simulators/peers/SerialLineSettings.hpp"

namespace Simulators {

class SimulatedPeer {
public:
    using Clock = std::chrono::steady_clock;

    explicit SimulatedPeer(SerialLineSettings expectedLine);
    virtual ~SimulatedPeer() = default;
    SimulatedPeer(const SimulatedPeer&) = delete;
    SimulatedPeer& operator=(const SimulatedPeer&) = delete;

    // ---- The adapter side --------------------------------------------------

    // The line settings the host gave the adapter interface the peer hangs on.
    void setLineSettings(const SerialLineSettings& line);
    // Bytes the host wrote. At the peer's own line settings they are decoded;
    // at any other they reach the peer as noise and are only counted.
    void receiveFromHost(std::span<const std::uint8_t> bytes);
    // Removes and answers the reply bytes due by `now`, at most maxBytes.
    std::vector<std::uint8_t> takeBytesForHost(std::size_t maxBytes, Clock::time_point now = Clock::now());
    // When the earliest reply byte still queued is due; nothing when none is.
    std::optional<Clock::time_point> nextReplyDue() const;

    // Called, outside the peer's lock, after reply bytes were queued, so an
    // adapter that delivers on demand can wake up.
    void setReplyListener(std::function<void()> listener);
    // Called, outside the peer's lock, when the cable is pulled (true) or put
    // back (false): the adapter disappears from or reappears on the bus.
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

    const SerialLineSettings& expectedLine() const { return expectedLine_; }
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
    // For derived accessors that read or change state outside decode().
    std::unique_lock<std::mutex> lockState() const { return std::unique_lock(mutex_); }

private:
    struct PendingReply {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
        std::size_t consumed = 0;
    };

    void notifyReplyListener();
    void notifyPlugListener(bool unplugged);

    const SerialLineSettings expectedLine_;
    mutable std::mutex mutex_;
    SerialLineSettings line_;
    std::deque<PendingReply> replies_;
    std::deque<ReplyFault> faults_;
    std::chrono::nanoseconds replyDelay_{0};
    bool silent_ = false;
    bool unplugged_ = false;
    bool replyQueued_ = false;
    std::vector<std::uint8_t> understood_;
    std::size_t noiseBytes_ = 0;
    std::size_t repliesProduced_ = 0;

    std::mutex listenerMutex_;
    std::function<void()> replyListener_;
    std::function<void(bool)> plugListener_;
};

} // namespace Simulators
