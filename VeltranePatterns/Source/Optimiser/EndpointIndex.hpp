#pragma once
// Serpentine positions of items by the x and y of their end points, so that a
// chain finds the items touching its current point with one hashed lookup.
// Keys compare exactly (0.0 and -0.0 are the same key); z plays no part.

#include <cstddef>
#include <optional>
#include <unordered_map>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace VeltranePatterns {

class EndpointIndex {
  public:
    // For positions 0 ..< count; every point added must have x and y that are numbers.
    explicit EndpointIndex(std::size_t count);

    // Positions must be added in ascending order.
    void addEndpoint(const Coordinate& point, std::size_t itemIndex);

    // Takes the position out of every entry it was added to.
    void removeEndpoints(std::size_t itemIndex);

    // The smallest position still entered at the point's x and y.
    std::optional<std::size_t> firstItemIndex(const Coordinate& point);

  private:
    struct Key {
        double y;
        double x;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    // Positions in ascending order; those before the cursor, and any removed
    // one, are skipped on the next lookup.
    struct Entry {
        std::vector<std::size_t> positions;
        std::size_t cursor = 0;
    };

    static Key keyOf(const Coordinate& point);

    std::unordered_map<Key, Entry, KeyHash> entries_;
    std::vector<bool> removed_;
};

} // namespace VeltranePatterns
