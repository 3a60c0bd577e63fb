#include "simulators/instrument/World/AxisTrack.hpp"

#include <algorithm>

namespace Simulators {

AxisTrack::AxisTrack(Sample start, const std::vector<Sample>& points) {
    samples_.reserve(points.size() + 1);
    samples_.push_back(start);
    for (const Sample& point : points) {
        if (point.ns > start.ns) {
            samples_.push_back({std::max(point.ns, samples_.back().ns), point.position});
        }
    }
}

double AxisTrack::positionAt(std::int64_t ns) const {
    if (samples_.empty()) {
        return 0.0;
    }
    const auto next = std::upper_bound(samples_.begin(), samples_.end(), ns,
                                       [](std::int64_t t, const Sample& sample) { return t < sample.ns; });
    if (next == samples_.begin()) {
        return samples_.front().position;
    }
    if (next == samples_.end()) {
        return samples_.back().position;
    }
    const Sample& before = *(next - 1);
    const double fraction =
        static_cast<double>(ns - before.ns) / static_cast<double>(next->ns - before.ns);
    return before.position + (next->position - before.position) * fraction;
}

std::optional<AxisTrack::Stop> AxisTrack::firstStop(std::int64_t ns, double low, double high,
                                                    std::span<const std::pair<double, double>> blocked) const {
    Sample from{ns, positionAt(ns)};
    for (const Sample& to : samples_) {
        if (to.ns <= ns) {
            continue;
        }
        const double x0 = from.position;
        const double x1 = to.position;
        std::optional<double> earliest; // fraction of the segment
        const auto consider = [&](double at) {
            const double fraction = x1 == x0 ? 0.0 : std::clamp((at - x0) / (x1 - x0), 0.0, 1.0);
            if (!earliest || fraction < *earliest) {
                earliest = fraction;
            }
        };
        const bool up = x1 > x0;
        const bool down = x1 < x0;
        if (up && x1 > high) {
            consider(std::max(high, x0));
        }
        if (down && x1 < low) {
            consider(std::min(low, x0));
        }
        for (const auto& [blockFrom, blockTo] : blocked) {
            if (up && x0 <= blockFrom && x1 > blockFrom) {
                consider(blockFrom);
            }
            if (down && x0 >= blockTo && x1 < blockTo) {
                consider(blockTo);
            }
        }
        if (earliest) {
            const double span = static_cast<double>(to.ns - from.ns);
            return Stop{from.ns + static_cast<std::int64_t>(span * *earliest), x0 + (x1 - x0) * *earliest};
        }
        from = to;
    }
    return std::nullopt;
}

void AxisTrack::endAt(const Stop& stop) {
    while (!samples_.empty() && samples_.back().ns >= stop.ns) {
        samples_.pop_back();
    }
    samples_.push_back({stop.ns, stop.position});
}

} // namespace Simulators
