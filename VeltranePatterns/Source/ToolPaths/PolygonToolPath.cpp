#include "VeltranePatterns/Source/ToolPaths/PolygonToolPath.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"
#include "VeltranePatterns/Source/ToolPaths/ToolPathLimits.hpp"

namespace VeltranePatterns {

namespace {

struct Box {
    Coordinate minimum;
    Coordinate maximum;

    explicit Box(const Coordinate& c) : minimum(c), maximum(c) {}

    void include(const Coordinate& c) {
        minimum = {c.x < minimum.x ? c.x : minimum.x, c.y < minimum.y ? c.y : minimum.y,
                   c.z < minimum.z ? c.z : minimum.z};
        maximum = {maximum.x <= c.x ? c.x : maximum.x, maximum.y <= c.y ? c.y : maximum.y,
                   maximum.z <= c.z ? c.z : maximum.z};
    }

    Coordinate clamp(const Coordinate& c) const {
        return {std::clamp(c.x, minimum.x, maximum.x), std::clamp(c.y, minimum.y, maximum.y),
                std::clamp(c.z, minimum.z, maximum.z)};
    }
};

double crossXY(const Coordinate& a, const Coordinate& b) {
    return a.x * b.y - a.y * b.x;
}

// +1 for an outline running counter-clockwise (y up), -1 for clockwise, 0 for
// one without area.
double orientation(const std::vector<Coordinate>& points) {
    double twiceArea = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        twiceArea += crossXY(points[i], points[(i + 1) % points.size()]);
    }
    if (twiceArea > 0.0) {
        return 1.0;
    }
    return twiceArea < 0.0 ? -1.0 : 0.0;
}

Coordinate inwardNormal(const Coordinate& direction, double sense) {
    return {-direction.y * sense, direction.x * sense, 0.0};
}

// The next ring's first point when the closing edge of a ring is too short to
// reach the next ring's first edge line by stepping back along it: the corner
// where the closing edge line and the first edge line, both moved in by the
// spacing, meet. Nothing when that corner lies beyond the next ring's second
// edge line, which means the next ring would be turned inside out.
std::optional<Coordinate> nextRingCorner(const Coordinate& current, const Coordinate& closingDirection,
                                         const Coordinate& firstPoint, const Coordinate& firstDirection,
                                         const Coordinate& secondPoint, const Coordinate& secondDirection,
                                         double spacing, double sense) {
    const double denominator = crossXY(closingDirection, firstDirection);
    if (sense == 0.0 || std::fabs(denominator) <= parallelEdgeSine) {
        return std::nullopt;
    }
    const Coordinate from = current + spacing * inwardNormal(closingDirection, sense);
    const Coordinate to = firstPoint + spacing * inwardNormal(firstDirection, sense);
    const double along = crossXY(to - from, firstDirection) / denominator;
    const Coordinate corner = from + along * closingDirection;
    const Coordinate secondNormal = inwardNormal(secondDirection, sense);
    const double inside = dotProduct(corner - secondPoint, secondNormal) - spacing;
    if (!(inside > 0.0) || !isFinite(corner)) {
        return std::nullopt;
    }
    return corner;
}

// Extent of a ring in x and y: a ring narrower than two spacings cannot hold
// another ring inside it.
bool canHoldAnotherRing(const std::vector<Coordinate>& ring, double spacing) {
    Box box(ring.front());
    for (const Coordinate& c : ring) {
        box.include(c);
    }
    return box.maximum.x - box.minimum.x >= 2.0 * spacing && box.maximum.y - box.minimum.y >= 2.0 * spacing;
}

bool hasSlightTurn(const std::vector<Coordinate>& ring) {
    const std::vector<PolygonVertexTurn> turns = polygonVertexTurns(ring);
    return std::any_of(turns.begin(), turns.end(),
                       [](const PolygonVertexTurn& entry) { return std::fabs(entry.turn) <= 0.01; });
}

// One round of the spiral: a ring with its step table, walked pass by pass.
class RingSpiral {
  public:
    RingSpiral(std::vector<Coordinate> ring, double spacing, double sense)
        : steps_(insetPolygonOutline(ring, spacing)), base_(std::move(ring)), spacing_(spacing),
          sense_(sense) {}

    std::size_t size() const { return base_.size(); }

    // Where a walk from the current point along edge k, towards the base
    // ring's edge j line, lands; nothing when it would not move forward.
    // Without the step back the walk reaches the base ring's own corner; with
    // it, the corner one ring further in. The closing step (j = 0) may move on
    // to the next ring at its own corner when the closing edge is too short.
    std::optional<Coordinate> step(const Coordinate& current, std::size_t k, bool stepBack,
                                   bool mayTurnAtCorner) const {
        const std::size_t j = k + 1 == base_.size() ? 0 : k + 1;
        const Coordinate& a = steps_[k].direction;
        const Coordinate& b = steps_[j].direction;
        const double c = a.y * b.x - a.x * b.y;
        double t = std::fabs(c) <= parallelEdgeSine
                       ? distanceXY(base_[k], base_[j])
                       : ((current.x - base_[j].x) * b.y - (current.y - base_[j].y) * b.x) / c;
        if (stepBack) {
            t = std::max(t - steps_[k].stepBack, 0.0);
        }
        if (t > 0.0) {
            return current + t * a;
        }
        if (j == 0 && mayTurnAtCorner) {
            if (const std::optional<Coordinate> corner = nextRingCorner(
                    current, a, base_[0], b, base_[1], steps_[1].direction, spacing_, sense_)) {
                return baseBox().clamp(*corner);
            }
        }
        return std::nullopt;
    }

    // A point on the first edge line of the ring one spacing further in, ahead
    // of that ring's second corner, from which a pass walks that ring: where
    // the closing edge steps back onto it, or else straight in from the first
    // point. Nothing for a ring without area or first edge.
    std::optional<Coordinate> entryPoint() const {
        if (std::optional<Coordinate> entry = step(base_.back(), base_.size() - 1, true, true)) {
            return entry;
        }
        const Coordinate& firstDirection = steps_[0].direction;
        if (sense_ == 0.0 || (firstDirection.x == 0.0 && firstDirection.y == 0.0)) {
            return std::nullopt;
        }
        return baseBox().clamp(base_[0] + spacing_ * inwardNormal(firstDirection, sense_));
    }

    const std::vector<Coordinate>& base() const { return base_; }
    void setBase(std::vector<Coordinate> base) { base_ = std::move(base); }

    // The extent of the base ring. Points that do not come from walking along
    // the ring's edges are kept inside it, so that no point of the path ever
    // leaves the outline's extent.
    Box baseBox() const {
        Box box(base_.front());
        for (const Coordinate& c : base_) {
            box.include(c);
        }
        return box;
    }

  private:
    std::vector<PolygonInsetStep> steps_;
    std::vector<Coordinate> base_;
    double spacing_;
    double sense_;
};

// The path under construction, within the caps on points and passes.
class SpiralPath {
  public:
    bool countPass() { return ++passes_ <= maximumPolygonPasses; }

    bool append(const Coordinate& p) {
        if (points_.size() >= maximumToolPathPoints) {
            return false;
        }
        points_.push_back(p);
        return true;
    }

    std::vector<Coordinate> take() { return std::move(points_); }

  private:
    std::vector<Coordinate> points_;
    std::size_t passes_ = 0;
};

} // namespace

std::vector<Coordinate> calculatePolygonDrawingCoordinates(const Polygon& polygon, double featureWidth,
                                                           double scaleFactor) {
    const std::vector<Coordinate>& points = polygon.points();
    const double spacing = featureWidth * 0.5 / scaleFactor;
    if (points.size() < 3 || !(spacing > 0.0) || !std::isfinite(spacing) ||
        !std::all_of(points.begin(), points.end(), isFinite)) {
        return {};
    }
    const double sense = orientation(points);

    SpiralPath path;
    std::vector<Coordinate> ring = points;
    bool walkOutline = true;
    // The first round walks the outline and then spirals inward pass by pass
    // while the passes keep every point. A pass that loses a point (an edge too
    // short to carry the next ring) hands what is left of its ring to a new
    // round, which builds its steps from that ring. That ring has just been
    // printed, so the new round does not walk it again: it enters the ring's
    // first inner ring at once, and walks the ring only when that corner of
    // the inner ring does not exist.
    while (true) {
        RingSpiral spiral(std::move(ring), spacing, sense);
        const std::size_t n = spiral.size();
        Coordinate current = spiral.base().front();
        // A pass stays within the extent of the ring it walks: the ring's own
        // for a pass along the ring, the previous pass's for the passes inside.
        const Box ringBox = spiral.baseBox();
        std::optional<Box> previousBox;
        std::optional<Coordinate> entry = walkOutline ? std::nullopt : spiral.entryPoint();
        if (entry && isFinite(*entry)) {
            entry = ringBox.clamp(*entry);
            if (!path.append(*entry)) {
                return {};
            }
            std::vector<Coordinate> base = spiral.base();
            base.front() = *entry;
            spiral.setBase(std::move(base));
            current = *entry;
            previousBox = ringBox;
        }
        walkOutline = false;

        std::vector<Coordinate> next;
        while (true) {
            if (!path.countPass()) {
                return {};
            }
            const bool firstPass = !previousBox.has_value();
            Box box(spiral.base().front());
            next.clear();
            std::optional<Coordinate> closingPoint;
            for (std::size_t k = 0; k < n; ++k) {
                const bool closing = k + 1 == n;
                // Turning at the next ring's corner is allowed only when every
                // other point of the pass was kept.
                std::optional<Coordinate> p =
                    spiral.step(current, k, closing || !firstPass, closing && next.size() == n - 1);
                if (p) {
                    p = (firstPass ? ringBox : *previousBox).clamp(*p);
                }
                if (p && isFinite(*p)) {
                    if (closing) {
                        closingPoint = *p;
                    } else {
                        next.push_back(*p);
                    }
                    if (!path.append(*p)) {
                        return {};
                    }
                    current = *p;
                }
                box.include(p.value_or(current));
            }
            if (closingPoint) {
                next.insert(next.begin(), *closingPoint);
            }
            if (next.size() == n) {
                spiral.setBase(std::move(next));
                next = {};
                previousBox = box;
                continue;
            }
            break;
        }
        if (next.size() < 3 || (next.size() <= 4 && hasSlightTurn(next)) ||
            !canHoldAnotherRing(next, spacing)) {
            break;
        }
        ring = std::move(next);
    }
    return path.take();
}

} // namespace VeltranePatterns
