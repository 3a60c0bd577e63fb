// splitPolygonIntoConvexParts: cuts an outline along diagonals until every
// part is convex. Each cut runs from the first vertex (in the part's own
// order) whose turn is on the minority side to the nearest vertex that is not
// its neighbour, and the part from the lower to the higher of the two comes
// first. Parts are kept as linked rings so that a cut copies only the smaller
// side; the larger side stays where it is and loses the smaller side's
// interior. Turns are kept in ordered sets per sign and the nearest vertex is
// found in a k-d tree, so an outline with many reflex vertices costs about
// n log n rather than n squared.

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <set>

#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"

namespace VeltranePatterns {

namespace {

enum TurnClass : std::uint8_t { negativeTurn, zeroTurn, positiveTurn, noTurn };

TurnClass turnClass(double turn) {
    if (turn < 0.0) {
        return negativeTurn;
    }
    if (turn > 0.0) {
        return positiveTurn;
    }
    return turn == 0.0 ? zeroTurn : noTurn;
}

double component(const Coordinate& c, int axis) {
    return axis == 0 ? c.x : (axis == 1 ? c.y : c.z);
}

// Nearest live slot to a query point in 3-D; slots are removed by a flag.
class NearestSlotTree {
  public:
    void build(const std::vector<Coordinate>& coordinates, std::vector<std::size_t> slots) {
        slots_ = std::move(slots);
        axes_.assign(slots_.size(), 0);
        buildRange(coordinates, 0, slots_.size());
        dead_ = 0;
    }

    std::size_t deadCount() const { return dead_; }
    void noteRemoval() { ++dead_; }

    // The best slot by (distance, rank) among those the filter accepts.
    template <typename Accept, typename Rank>
    std::optional<std::size_t> nearest(const std::vector<Coordinate>& coordinates, const Coordinate& query,
                                       Accept accept, Rank rank) const {
        Search<Accept, Rank> search{coordinates, query, accept, rank, std::nullopt, 0.0, 0};
        visit(search, 0, slots_.size());
        return search.best;
    }

  private:
    template <typename Accept, typename Rank> struct Search {
        const std::vector<Coordinate>& coordinates;
        const Coordinate& query;
        Accept& accept;
        Rank& rank;
        std::optional<std::size_t> best;
        double bestDistance = 0.0;
        std::size_t bestRank = 0;
    };

    // Each node splits its range on the axis along which the range spreads
    // most, so that outlines in a plane, or along a line, still prune well.
    void buildRange(const std::vector<Coordinate>& coordinates, std::size_t lo, std::size_t hi) {
        if (hi - lo <= 1) {
            return;
        }
        Coordinate minimum = coordinates[slots_[lo]];
        Coordinate maximum = minimum;
        for (std::size_t i = lo + 1; i < hi; ++i) {
            const Coordinate& c = coordinates[slots_[i]];
            minimum = {std::min(minimum.x, c.x), std::min(minimum.y, c.y), std::min(minimum.z, c.z)};
            maximum = {std::max(maximum.x, c.x), std::max(maximum.y, c.y), std::max(maximum.z, c.z)};
        }
        const Coordinate spread = maximum - minimum;
        const int axis = spread.x >= spread.y && spread.x >= spread.z ? 0 : (spread.y >= spread.z ? 1 : 2);
        const std::size_t mid = lo + (hi - lo) / 2;
        std::nth_element(slots_.begin() + static_cast<std::ptrdiff_t>(lo),
                         slots_.begin() + static_cast<std::ptrdiff_t>(mid),
                         slots_.begin() + static_cast<std::ptrdiff_t>(hi), [&](std::size_t a, std::size_t b) {
                             return component(coordinates[a], axis) < component(coordinates[b], axis);
                         });
        axes_[mid] = axis;
        buildRange(coordinates, lo, mid);
        buildRange(coordinates, mid + 1, hi);
    }

    template <typename S> void visit(S& search, std::size_t lo, std::size_t hi) const {
        if (lo >= hi) {
            return;
        }
        const std::size_t mid = lo + (hi - lo) / 2;
        const std::size_t slot = slots_[mid];
        const Coordinate& point = search.coordinates[slot];
        if (search.accept(slot)) {
            const double d = distance(search.query, point);
            const std::size_t r = search.rank(slot);
            if (!search.best || d < search.bestDistance ||
                (d == search.bestDistance && r < search.bestRank)) {
                search.best = slot;
                search.bestDistance = d;
                search.bestRank = r;
            }
        }
        if (hi - lo == 1) {
            return;
        }
        const int axis = axes_[mid];
        const double offset = component(search.query, axis) - component(point, axis);
        const bool lowFirst = offset < 0.0;
        visit(search, lowFirst ? lo : mid + 1, lowFirst ? mid : hi);
        // The far side can only hold points at least |offset| away; equal
        // distances still matter for the tie on rank.
        if (!search.best || std::fabs(offset) <= search.bestDistance * (1.0 + 1e-12)) {
            visit(search, lowFirst ? mid + 1 : lo, lowFirst ? hi : mid);
        }
    }

    std::vector<std::size_t> slots_;
    std::vector<int> axes_;
    std::size_t dead_ = 0;
};

// One part: its vertices as a linked ring over slots numbered in the ring's
// cyclic order, so that the cyclic order of live slots is their slot order
// starting at the head.
class Part {
  public:
    explicit Part(std::vector<Coordinate> outline)
        : coordinates_(std::move(outline)), next_(coordinates_.size()), previous_(coordinates_.size()),
          alive_(coordinates_.size(), true), classes_(coordinates_.size(), noTurn),
          size_(coordinates_.size()) {
        const std::size_t n = coordinates_.size();
        for (std::size_t i = 0; i < n; ++i) {
            next_[i] = (i + 1) % n;
            previous_[i] = (i + n - 1) % n;
        }
        for (std::size_t i = 0; i < n; ++i) {
            classify(i);
        }
        rebuildTree();
    }

    std::size_t size() const { return size_; }
    std::size_t countOf(TurnClass c) const { return bySlot_[c].size(); }

    std::vector<Coordinate> outline() const {
        std::vector<Coordinate> points;
        points.reserve(size_);
        std::size_t slot = head_;
        for (std::size_t i = 0; i < size_; ++i) {
            points.push_back(coordinates_[slot]);
            slot = next_[slot];
        }
        return points;
    }

    // Position of a live slot in the part's own order, from the head.
    std::size_t rank(std::size_t slot) const {
        return (slot + coordinates_.size() - head_) % coordinates_.size();
    }

    // The first live slot, from the head, in one of the classes.
    std::optional<std::size_t> firstOf(std::initializer_list<TurnClass> classes) const {
        std::optional<std::size_t> first;
        for (const TurnClass c : classes) {
            const std::set<std::size_t>& set = bySlot_[c];
            if (set.empty()) {
                continue;
            }
            auto found = set.lower_bound(head_);
            const std::size_t slot = found == set.end() ? *set.begin() : *found;
            if (!first || rank(slot) < rank(*first)) {
                first = slot;
            }
        }
        return first;
    }

    // The nearest live vertex to the slot that is neither it nor a neighbour;
    // the earliest in the part's order on equal distances.
    std::optional<std::size_t> nearestNonAdjacent(std::size_t slot) const {
        const std::size_t before = previous_[slot];
        const std::size_t after = next_[slot];
        return tree_.nearest(
            coordinates_, coordinates_[slot],
            [&](std::size_t s) { return alive_[s] && s != slot && s != before && s != after; },
            [&](std::size_t s) { return rank(s); });
    }

    // Cuts along the diagonal between the live slots lo and hi (lo before hi
    // in the part's order): the first part runs lo..hi, the second hi..lo.
    // This object becomes the larger part; the smaller is returned, with
    // whether it is the first.
    std::pair<std::unique_ptr<Part>, bool> cut(std::size_t lo, std::size_t hi) {
        // Walk both sides at once, so the cost is that of the smaller side.
        std::size_t a = lo;
        std::size_t b = hi;
        while (true) {
            a = next_[a];
            if (a == hi) {
                return {cutOff(lo, hi), true};
            }
            b = next_[b];
            if (b == lo) {
                return {cutOff(hi, lo), false};
            }
        }
    }

  private:
    // Takes start..end (forward) out as a new part and leaves end..start here.
    std::unique_ptr<Part> cutOff(std::size_t start, std::size_t end) {
        std::vector<Coordinate> points{coordinates_[start]};
        for (std::size_t slot = next_[start]; slot != end;) {
            points.push_back(coordinates_[slot]);
            const std::size_t following = next_[slot];
            remove(slot);
            slot = following;
        }
        points.push_back(coordinates_[end]);
        next_[start] = end;
        previous_[end] = start;
        head_ = end;
        classify(start);
        classify(end);
        if (tree_.deadCount() > size_) {
            rebuildTree();
        }
        return std::make_unique<Part>(std::move(points));
    }

    void remove(std::size_t slot) {
        bySlot_[classes_[slot]].erase(slot);
        alive_[slot] = false;
        --size_;
        tree_.noteRemoval();
    }

    void classify(std::size_t slot) {
        bySlot_[classes_[slot]].erase(slot);
        const Coordinate& a = coordinates_[previous_[slot]];
        const Coordinate& p = coordinates_[slot];
        const Coordinate& b = coordinates_[next_[slot]];
        classes_[slot] = turnClass((a.x - p.x) * (b.y - p.y) - (b.x - p.x) * (a.y - p.y));
        bySlot_[classes_[slot]].insert(slot);
    }

    void rebuildTree() {
        std::vector<std::size_t> live;
        live.reserve(size_);
        for (std::size_t s = 0; s < coordinates_.size(); ++s) {
            if (alive_[s]) {
                live.push_back(s);
            }
        }
        tree_.build(coordinates_, std::move(live));
    }

    std::vector<Coordinate> coordinates_;
    std::vector<std::size_t> next_;
    std::vector<std::size_t> previous_;
    std::vector<bool> alive_;
    std::vector<TurnClass> classes_;
    std::array<std::set<std::size_t>, 4> bySlot_;
    NearestSlotTree tree_;
    std::size_t head_ = 0;
    std::size_t size_;
};

} // namespace

std::vector<std::vector<Coordinate>> splitPolygonIntoConvexParts(const std::vector<Coordinate>& points) {
    std::vector<std::vector<Coordinate>> parts;
    if (points.size() < 3 || !std::all_of(points.begin(), points.end(), isFinite)) {
        return parts;
    }
    // Depth first, the first part of every cut before the second, without
    // recursion so that a long jagged outline cannot exhaust the stack.
    std::vector<std::unique_ptr<Part>> pending;
    pending.push_back(std::make_unique<Part>(points));
    while (!pending.empty()) {
        std::unique_ptr<Part> part = std::move(pending.back());
        pending.pop_back();
        if (part->size() < 3) {
            continue;
        }
        const std::size_t negative = part->countOf(negativeTurn);
        const std::size_t nonNegative = part->countOf(zeroTurn) + part->countOf(positiveTurn);
        if (negative == 0 || nonNegative == 0) {
            parts.push_back(part->outline());
            continue;
        }
        if (part->size() == 3) {
            continue;
        }
        const std::optional<std::size_t> splitVertex = nonNegative < negative
                                                           ? part->firstOf({zeroTurn, positiveTurn})
                                                           : part->firstOf({negativeTurn, zeroTurn});
        if (!splitVertex) {
            continue;
        }
        const std::optional<std::size_t> partner = part->nearestNonAdjacent(*splitVertex);
        if (!partner) {
            continue;
        }
        const bool splitFirst = part->rank(*splitVertex) < part->rank(*partner);
        auto [smaller, smallerIsFirst] =
            part->cut(splitFirst ? *splitVertex : *partner, splitFirst ? *partner : *splitVertex);
        if (smallerIsFirst) {
            pending.push_back(std::move(part));
            pending.push_back(std::move(smaller));
        } else {
            pending.push_back(std::move(smaller));
            pending.push_back(std::move(part));
        }
    }
    return parts;
}

} // namespace VeltranePatterns
