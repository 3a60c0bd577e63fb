#include "simulators/instrument/Positioners/SmartMotor/SmartMotorContourBuffer.hpp"

#include <algorithm>
#include <cmath>

namespace Simulators {

namespace {

constexpr std::int32_t closingFlag = 32768;

} // namespace

SmartMotorContourBuffer::SmartMotorContourBuffer(std::size_t capacity, double samplePeriodSeconds,
                                                 bool segmentTimes)
    : capacity_(capacity), samplePeriodNs_(samplePeriodSeconds * 1e9), segmentTimes_(segmentTimes) {}

void SmartMotorContourBuffer::clear() {
    items_.clear();
    pendingPosition_.reset();
    lastPosition_.reset();
    lastTime_.reset();
    closed_ = false;
    startedAtNs_.reset();
    lastDueNs_ = 0;
    // A stalled motor stays stalled.
}

void SmartMotorContourBuffer::takePosition(double position) {
    pendingPosition_ = position;
}

bool SmartMotorContourBuffer::takeTime(std::int32_t time, std::int64_t nowNs) {
    const std::optional<double> position = pendingPosition_ ? pendingPosition_ : lastPosition_;
    pendingPosition_.reset();
    if (closed_ || !position) {
        return true;
    }
    std::int64_t samples = 0;
    if (segmentTimes_) {
        closed_ = time >= closingFlag;
        samples = closed_ ? time - closingFlag : std::max(time, 0);
    } else {
        closed_ = lastTime_ && time <= *lastTime_;
        samples = closed_ ? 0 : time - lastTime_.value_or(0);
        lastTime_ = time;
    }
    dropReached(nowNs);
    if (items_.size() >= capacity_) {
        return false;
    }
    Item item{*position, samples, 0};
    if (startedAtNs_) {
        schedule(item, nowNs);
    }
    items_.push_back(item);
    lastPosition_ = position;
    return true;
}

void SmartMotorContourBuffer::schedule(Item& item, std::int64_t nowNs) {
    // An empty buffer leaves the motor waiting: the segment counts from now.
    const std::int64_t from = std::max(lastDueNs_, nowNs);
    item.dueNs = from + std::llround(static_cast<double>(item.samples) * samplePeriodNs_);
    lastDueNs_ = item.dueNs;
}

void SmartMotorContourBuffer::start(std::int64_t nowNs) {
    if (startedAtNs_) {
        return;
    }
    startedAtNs_ = nowNs;
    lastDueNs_ = nowNs;
    for (Item& item : items_) {
        schedule(item, nowNs);
    }
}

void SmartMotorContourBuffer::stall(std::int64_t nowNs) {
    dropReached(nowNs);
    if (!stalledAtNs_) {
        stalledAtNs_ = nowNs;
    }
}

void SmartMotorContourBuffer::dropReached(std::int64_t nowNs) {
    if (!startedAtNs_) {
        return;
    }
    const std::int64_t until = stalledAtNs_ ? std::min(nowNs, *stalledAtNs_) : nowNs;
    while (!items_.empty() && items_.front().dueNs <= until) {
        items_.pop_front();
    }
}

std::size_t SmartMotorContourBuffer::freePlaces(std::int64_t nowNs) {
    dropReached(nowNs);
    return capacity_ - std::min(capacity_, items_.size());
}

std::vector<TrackPoint> SmartMotorContourBuffer::track(std::int64_t nowNs) {
    dropReached(nowNs);
    std::vector<TrackPoint> points;
    if (!startedAtNs_ || stalledAtNs_) {
        return points;
    }
    points.reserve(items_.size());
    for (const Item& item : items_) {
        points.push_back({std::chrono::nanoseconds(item.dueNs), item.position});
    }
    return points;
}

} // namespace Simulators
