#include "simulators/peers/SimulatedPeer.hpp"

#include <algorithm>
#include <utility>

namespace Simulators {

SimulatedPeer::SimulatedPeer(SerialLineSettings expectedLine)
    : expectedLine_(expectedLine), delivery_([this] { runDelivery(); }) {}

SimulatedPeer::~SimulatedPeer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    deliveryWake_.notify_all();
    delivery_.join();
}

SerialLineSettings SimulatedPeer::expectedLine() const {
    std::lock_guard lock(mutex_);
    return expectedLine_;
}

bool SimulatedPeer::understands(const SerialLineSettings& line) const {
    return line.baudNear(expectedLine_.baudRate) && line.dataBits == expectedLine_.dataBits &&
           line.parity == expectedLine_.parity && line.stopBits == expectedLine_.stopBits;
}

void SimulatedPeer::receive(std::span<const std::uint8_t> bytes, SimulatedSerialPort& port) {
    const SerialLineSettings line = port.lineSettings();
    {
        std::lock_guard lock(mutex_);
        port_ = &port;
        if (unplugged_ || bytes.empty()) {
            return;
        }
        if (!understands(line)) {
            noiseBytes_ += bytes.size();
            return;
        }
        understood_.insert(understood_.end(), bytes.begin(), bytes.end());
        decode(bytes);
    }
    deliveryWake_.notify_all();
    sendDueReplies();
}

void SimulatedPeer::lineSettingsChanged(const SerialLineSettings&, SimulatedSerialPort& port) {
    {
        std::lock_guard lock(mutex_);
        port_ = &port;
    }
    deliveryWake_.notify_all();
}

void SimulatedPeer::detachFromAdapter() {
    std::lock_guard sendLock(sendMutex_);
    std::lock_guard lock(mutex_);
    port_ = nullptr;
    replies_.clear();
}

void SimulatedPeer::sendUnprompted(std::vector<std::uint8_t> bytes, std::chrono::nanoseconds after) {
    {
        std::lock_guard lock(mutex_);
        reply(std::move(bytes), after);
    }
    deliveryWake_.notify_all();
    sendDueReplies();
}

void SimulatedPeer::reply(std::vector<std::uint8_t> bytes, std::chrono::nanoseconds after) {
    ++repliesProduced_;
    ReplyFault fault;
    if (!faults_.empty()) {
        fault = faults_.front();
        faults_.pop_front();
    }
    if (silent_ || unplugged_) {
        return;
    }
    auto due = Clock::now() + replyDelay_ + after;
    switch (fault.kind) {
    case ReplyFault::Kind::pass:
        break;
    case ReplyFault::Kind::drop:
        return;
    case ReplyFault::Kind::corrupt:
        if (fault.index < bytes.size()) {
            bytes[fault.index] ^= fault.mask;
        }
        break;
    case ReplyFault::Kind::cutShort:
        bytes.resize(std::min(bytes.size(), fault.index));
        break;
    case ReplyFault::Kind::delay:
        due += fault.delay;
        break;
    }
    if (bytes.empty()) {
        return;
    }
    if (!replies_.empty()) {
        due = std::max(due, replies_.back().due);
    }
    replies_.push_back({due, std::move(bytes)});
}

void SimulatedPeer::sendDueReplies() {
    std::lock_guard sendLock(sendMutex_);
    std::vector<std::uint8_t> due;
    SimulatedSerialPort* port = nullptr;
    {
        std::lock_guard lock(mutex_);
        port = port_;
        if (port == nullptr) {
            return;
        }
        const auto now = Clock::now();
        while (!replies_.empty() && replies_.front().due <= now) {
            due.insert(due.end(), replies_.front().bytes.begin(), replies_.front().bytes.end());
            replies_.pop_front();
        }
    }
    if (!due.empty()) {
        port->send(due);
    }
}

void SimulatedPeer::runDelivery() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (replies_.empty() || port_ == nullptr) {
            deliveryWake_.wait(lock);
            continue;
        }
        // A copy: while the wait lets go of the lock, another thread may send
        // or drop the reply, and the wait reads its deadline again on waking.
        const Clock::time_point due = replies_.front().due;
        if (due > Clock::now()) {
            deliveryWake_.wait_until(lock, due);
        } else {
            lock.unlock();
            sendDueReplies();
            lock.lock();
        }
    }
}

void SimulatedPeer::setPlugListener(std::function<void(bool)> listener) {
    std::lock_guard lock(listenerMutex_);
    plugListener_ = std::move(listener);
}

void SimulatedPeer::queueReplyFault(const ReplyFault& fault) {
    std::lock_guard lock(mutex_);
    faults_.push_back(fault);
}

void SimulatedPeer::setReplyDelay(std::chrono::nanoseconds delay) {
    std::lock_guard lock(mutex_);
    replyDelay_ = delay;
}

void SimulatedPeer::goSilent() {
    std::lock_guard lock(mutex_);
    silent_ = true;
}

void SimulatedPeer::speakAgain() {
    std::lock_guard lock(mutex_);
    silent_ = false;
}

void SimulatedPeer::unplug() {
    {
        std::lock_guard lock(mutex_);
        if (unplugged_) {
            return;
        }
        unplugged_ = true;
        replies_.clear();
    }
    std::function<void(bool)> listener;
    {
        std::lock_guard lock(listenerMutex_);
        listener = plugListener_;
    }
    if (listener) {
        listener(true);
    }
}

void SimulatedPeer::plugBackIn() {
    {
        std::lock_guard lock(mutex_);
        if (!unplugged_) {
            return;
        }
        unplugged_ = false;
    }
    std::function<void(bool)> listener;
    {
        std::lock_guard lock(listenerMutex_);
        listener = plugListener_;
    }
    if (listener) {
        listener(false);
    }
}

void SimulatedPeer::clearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
    replyDelay_ = std::chrono::nanoseconds{0};
    silent_ = false;
}

bool SimulatedPeer::isUnplugged() const {
    std::lock_guard lock(mutex_);
    return unplugged_;
}

std::vector<std::uint8_t> SimulatedPeer::bytesFromHost() const {
    std::lock_guard lock(mutex_);
    return understood_;
}

std::size_t SimulatedPeer::noiseByteCount() const {
    std::lock_guard lock(mutex_);
    return noiseBytes_;
}

std::size_t SimulatedPeer::replyCount() const {
    std::lock_guard lock(mutex_);
    return repliesProduced_;
}

} // namespace Simulators
