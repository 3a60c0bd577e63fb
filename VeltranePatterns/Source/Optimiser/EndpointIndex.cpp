#include "VeltranePatterns/Source/Optimiser/EndpointIndex.hpp"

#include <functional>

namespace VeltranePatterns {

EndpointIndex::EndpointIndex(std::size_t count) : removed_(count, false) {
    entries_.reserve(count * 2);
}

std::size_t EndpointIndex::KeyHash::operator()(const Key& key) const {
    const std::size_t hy = std::hash<double>{}(key.y);
    const std::size_t hx = std::hash<double>{}(key.x);
    return hy ^ (hx + 0x9e3779b97f4a7c15ULL + (hy << 6) + (hy >> 2));
}

// Adding 0.0 turns -0.0 into 0.0, so that both hash alike.
EndpointIndex::Key EndpointIndex::keyOf(const Coordinate& point) {
    return {point.y + 0.0, point.x + 0.0};
}

void EndpointIndex::addEndpoint(const Coordinate& point, std::size_t itemIndex) {
    std::vector<std::size_t>& positions = entries_[keyOf(point)].positions;
    if (positions.empty() || positions.back() != itemIndex) {
        positions.push_back(itemIndex);
    }
}

void EndpointIndex::removeEndpoints(std::size_t itemIndex) {
    removed_[itemIndex] = true;
}

std::optional<std::size_t> EndpointIndex::firstItemIndex(const Coordinate& point) {
    const auto found = entries_.find(keyOf(point));
    if (found == entries_.end()) {
        return std::nullopt;
    }
    Entry& entry = found->second;
    while (entry.cursor < entry.positions.size() && removed_[entry.positions[entry.cursor]]) {
        ++entry.cursor;
    }
    if (entry.cursor == entry.positions.size()) {
        return std::nullopt;
    }
    return entry.positions[entry.cursor];
}

} // namespace VeltranePatterns
