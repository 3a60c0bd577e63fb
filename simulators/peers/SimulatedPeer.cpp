#include "simulators/peers/SimulatedPeer.hpp"

#include <algorithm>
#include <utility>

namespace Simulators {

SimulatedPeer::SimulatedPeer(SerialLineSettings expectedLine) : expectedLine_(expectedLine), line_(expectedLine) {}

void SimulatedPeer::setLineSettings(const SerialLineSettings& line) {
    std::lock_guard lock(mutex_);
    line_ = line;
}

void SimulatedPeer::receiveFromHost(std::span<const std::uint8_t> bytes) {
    bool queued = false;
    {
        std::lock_guard lock(mutex_);
        if (unplugged_ || bytes.empty()) {
            return;
        }
        if (!lineSettingsMatch(expectedLine_, line_)) {
            noiseBytes_ += bytes.size();
            return;
        }
        understood_.insert(understood_.end(), bytes.begin(), bytes.end());
        replyQueued_ = false;
        decode(bytes);
        queued = std::exchange(replyQueued_, false);
    }
    if (queued) {
        notifyReplyListener();
    }
}

void SimulatedPeer::sendUnprompted(std::vector<std::uint8_t> bytes, std::chrono::nanoseconds after) {
    bool queued = false;
    {
        std::lock_guard lock(mutex_);
        replyQueued_ = false;
        reply(std::move(bytes), after);
        queued = std::exchange(replyQueued_, false);
    }
    if (queued) {
        notifyReplyListener();
    }
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
    // Bytes leave one cable in order: a reply never overtakes an earlier one.
    if (!replies_.empty()) {
        due = std::max(due, replies_.back().due);
    }
    replies_.push_back({due, std::move(bytes)});
    replyQueued_ = true;
}

std::vector<std::uint8_t> SimulatedPeer::takeBytesForHost(std::size_t maxBytes, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> out;
    while (!replies_.empty() && out.size() < maxBytes && replies_.front().due <= now) {
        auto& front = replies_.front();
        const std::size_t count = std::min(maxBytes - out.size(), front.bytes.size() - front.consumed);
        const auto first = front.bytes.begin() + static_cast<std::ptrdiff_t>(front.consumed);
        out.insert(out.end(), first, first + static_cast<std::ptrdiff_t>(count));
        front.consumed += count;
        if (front.consumed == front.bytes.size()) {
            replies_.pop_front();
        }
    }
    return out;
}

std::optional<SimulatedPeer::Clock::time_point> SimulatedPeer::nextReplyDue() const {
    std::lock_guard lock(mutex_);
    if (replies_.empty()) {
        return std::nullopt;
    }
    return replies_.front().due;
}

void SimulatedPeer::setReplyListener(std::function<void()> listener) {
    std::lock_guard lock(listenerMutex_);
    replyListener_ = std::move(listener);
}

void SimulatedPeer::setPlugListener(std::function<void(bool)> listener) {
    std::lock_guard lock(listenerMutex_);
    plugListener_ = std::move(listener);
}

void SimulatedPeer::notifyReplyListener() {
    std::function<void()> listener;
    {
        std::lock_guard lock(listenerMutex_);
        listener = replyListener_;
    }
    if (listener) {
        listener();
    }
}

void SimulatedPeer::notifyPlugListener(bool unplugged) {
    std::function<void(bool)> listener;
    {
        std::lock_guard lock(listenerMutex_);
        listener = plugListener_;
    }
    if (listener) {
        listener(unplugged);
    }
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
    notifyPlugListener(true);
}

void SimulatedPeer::plugBackIn() {
    {
        std::lock_guard lock(mutex_);
        if (!unplugged_) {
            return;
        }
        unplugged_ = false;
    }
    notifyPlugListener(false);
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
