#include "VeltranePatterns/Source/ToolPaths/RegionFill.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "VeltranePatterns/Source/ToolPaths/ConvexPolygons.hpp"
#include "VeltranePatterns/Source/ToolPaths/PolygonOutline.hpp"

namespace VeltranePatterns {

namespace {

double cross(const Coordinate& a, const Coordinate& b, const Coordinate& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

double signedArea(const std::vector<Coordinate>& points) {
    double twice = 0.0;
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        twice += points[j].x * points[i].y - points[i].x * points[j].y;
    }
    return twice * 0.5;
}

bool samePlace(const Coordinate& a, const Coordinate& b) { return a.x == b.x && a.y == b.y; }

// The vertices in a uniform grid over their box, so that the vertices near a
// triangle are found without looking at the others.
class VertexGrid {
  public:
    explicit VertexGrid(const std::vector<Coordinate>& points) : points_(points) {
        minX_ = maxX_ = points.front().x;
        minY_ = maxY_ = points.front().y;
        for (const Coordinate& p : points) {
            minX_ = std::min(minX_, p.x);
            maxX_ = std::max(maxX_, p.x);
            minY_ = std::min(minY_, p.y);
            maxY_ = std::max(maxY_, p.y);
        }
        // About two vertices a cell.
        const double side = std::sqrt(static_cast<double>(points.size()) / 2.0);
        columns_ = std::clamp<std::size_t>(static_cast<std::size_t>(side), 1, 4096);
        rows_ = columns_;
        cellWidth_ = std::max((maxX_ - minX_) / static_cast<double>(columns_), 1e-300);
        cellHeight_ = std::max((maxY_ - minY_) / static_cast<double>(rows_), 1e-300);
        cellStart_.assign(columns_ * rows_ + 1, 0);
        for (const Coordinate& p : points) {
            ++cellStart_[cellOf(p) + 1];
        }
        for (std::size_t c = 1; c < cellStart_.size(); ++c) {
            cellStart_[c] += cellStart_[c - 1];
        }
        entries_.resize(points.size());
        std::vector<std::size_t> fill(cellStart_.begin(), cellStart_.end() - 1);
        for (std::size_t i = 0; i < points.size(); ++i) {
            entries_[fill[cellOf(points[i])]++] = i;
        }
    }

    // Calls visit with every vertex in the cells the box touches until it
    // answers true; adds the cells and vertices looked at to the work.
    template <typename Visit>
    bool anyInBox(double minX, double maxX, double minY, double maxY, std::size_t& work, Visit visit) const {
        const std::size_t c0 = column(minX), c1 = column(maxX), r0 = row(minY), r1 = row(maxY);
        for (std::size_t r = r0; r <= r1; ++r) {
            for (std::size_t c = c0; c <= c1; ++c) {
                const std::size_t cell = r * columns_ + c;
                work += 1 + cellStart_[cell + 1] - cellStart_[cell];
                for (std::size_t e = cellStart_[cell]; e < cellStart_[cell + 1]; ++e) {
                    if (visit(entries_[e])) {
                        return true;
                    }
                }
            }
        }
        return false;
    }

  private:
    std::size_t column(double x) const {
        const double c = std::floor((x - minX_) / cellWidth_);
        return static_cast<std::size_t>(std::clamp(c, 0.0, static_cast<double>(columns_ - 1)));
    }
    std::size_t row(double y) const {
        const double r = std::floor((y - minY_) / cellHeight_);
        return static_cast<std::size_t>(std::clamp(r, 0.0, static_cast<double>(rows_ - 1)));
    }
    std::size_t cellOf(const Coordinate& p) const { return row(p.y) * columns_ + column(p.x); }

    const std::vector<Coordinate>& points_;
    double minX_, maxX_, minY_, maxY_;
    std::size_t columns_, rows_;
    double cellWidth_, cellHeight_;
    std::vector<std::size_t> cellStart_;
    std::vector<std::size_t> entries_;
};

// Cuts convex pieces off a ring of vertices. Turns are taken in the outline's
// own direction (orientation +1 for counter-clockwise, -1 for clockwise), so
// that a turn of 0 or more is convex.
class PieceCutter {
  public:
    PieceCutter(const std::vector<Coordinate>& points, double orientation)
        : points_(points), orientation_(orientation), grid_(points), next_(points.size()),
          alive_(points.size(), 1), inPiece_(points.size(), 0), remaining_(points.size()) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            next_[i] = (i + 1) % points.size();
        }
    }

    // All pieces, or nothing when the ring cannot be tiled this way.
    std::optional<std::vector<std::vector<Coordinate>>> cut() {
        std::vector<std::vector<Coordinate>> pieces;
        std::size_t start = 0;
        std::size_t misses = 0;
        // Ordinary outlines look at a few dozen vertices per vertex; one built
        // to make every search long is handed to the convex split instead.
        const std::size_t budget = 256 * points_.size() + 1'000'000;
        while (remaining_ >= 3) {
            if (work_ > budget) {
                return std::nullopt;
            }
            const std::vector<std::size_t> chain = growFrom(start);
            if (chain.size() < 3) {
                start = next_[start];
                if (++misses > remaining_) {
                    return std::nullopt; // no piece can be cut anywhere
                }
                continue;
            }
            misses = 0;
            std::vector<Coordinate> piece;
            piece.reserve(chain.size());
            for (const std::size_t v : chain) {
                piece.push_back(points_[v]);
            }
            pieces.push_back(std::move(piece));
            if (chain.size() == remaining_) {
                break; // the rest was one convex piece
            }
            // Take out the vertices inside the run; its ends stay, joined.
            for (std::size_t k = 1; k + 1 < chain.size(); ++k) {
                alive_[chain[k]] = 0;
            }
            next_[chain.front()] = chain.back();
            remaining_ -= chain.size() - 2;
            start = chain.back();
        }
        return pieces;
    }

  private:
    double turn(std::size_t a, std::size_t b, std::size_t c) const {
        return orientation_ * cross(points_[a], points_[b], points_[c]);
    }

    // Whether a vertex outside the run lies in the triangle (a, b, c) or on
    // its sides; vertices at the very place of a corner do not count, so that
    // the two ends of a cut-in line do not block each other.
    bool holdsOtherVertex(std::size_t a, std::size_t b, std::size_t c) {
        const Coordinate& pa = points_[a];
        const Coordinate& pb = points_[b];
        const Coordinate& pc = points_[c];
        return grid_.anyInBox(std::min({pa.x, pb.x, pc.x}), std::max({pa.x, pb.x, pc.x}),
                              std::min({pa.y, pb.y, pc.y}), std::max({pa.y, pb.y, pc.y}), work_, [&](std::size_t v) {
                                  if (!alive_[v] || inPiece_[v]) {
                                      return false;
                                  }
                                  const Coordinate& p = points_[v];
                                  if (samePlace(p, pa) || samePlace(p, pb) || samePlace(p, pc)) {
                                      return false;
                                  }
                                  return orientation_ * cross(pa, pb, p) >= 0.0 &&
                                         orientation_ * cross(pb, pc, p) >= 0.0 &&
                                         orientation_ * cross(pc, pa, p) >= 0.0;
                              });
    }

    // The longest convex run from the start that holds no other vertex, grown
    // one fan triangle at a time; fewer than three vertices when none is.
    std::vector<std::size_t> growFrom(std::size_t a) {
        ++work_;
        std::vector<std::size_t> chain;
        const std::size_t b = next_[a];
        const std::size_t c = next_[b];
        if (turn(a, b, c) <= 0.0) {
            return chain;
        }
        chain = {a, b, c};
        for (const std::size_t v : chain) {
            inPiece_[v] = 1;
        }
        if (holdsOtherVertex(a, b, c)) {
            release(chain);
            chain.clear();
            return chain;
        }
        while (chain.size() < maximumRegionPieceVertices) {
            const std::size_t e = chain.back();
            const std::size_t d = next_[e];
            if (d == a) {
                break; // the whole ring
            }
            const std::size_t beforeE = chain[chain.size() - 2];
            if (turn(beforeE, e, d) < 0.0 || turn(e, d, a) < 0.0 || turn(d, a, b) < 0.0) {
                break;
            }
            inPiece_[d] = 1;
            if (holdsOtherVertex(a, e, d)) {
                inPiece_[d] = 0;
                break;
            }
            chain.push_back(d);
        }
        release(chain);
        return chain;
    }

    void release(const std::vector<std::size_t>& chain) {
        for (const std::size_t v : chain) {
            inPiece_[v] = 0;
        }
    }

    const std::vector<Coordinate>& points_;
    double orientation_;
    VertexGrid grid_;
    std::vector<std::size_t> next_;
    std::vector<std::uint8_t> alive_;
    std::vector<std::uint8_t> inPiece_;
    std::size_t remaining_;
    std::size_t work_ = 0;
};

} // namespace

std::vector<std::vector<Coordinate>> convexPiecesOfRegion(const std::vector<Coordinate>& outline) {
    // Repeated places in a row (and a closing point equal to the first) say nothing.
    std::vector<Coordinate> points;
    points.reserve(outline.size());
    for (const Coordinate& p : outline) {
        if (points.empty() || !samePlace(points.back(), p)) {
            points.push_back(p);
        }
    }
    while (points.size() > 1 && samePlace(points.back(), points.front())) {
        points.pop_back();
    }
    if (points.size() < 3 || !std::all_of(points.begin(), points.end(), isFinite)) {
        return splitPolygonIntoConvexParts(outline);
    }
    const double area = signedArea(points);
    if (!(area != 0.0) || !std::isfinite(area)) {
        return splitPolygonIntoConvexParts(outline);
    }
    auto pieces = PieceCutter(points, area > 0.0 ? 1.0 : -1.0).cut();
    if (!pieces) {
        return splitPolygonIntoConvexParts(outline);
    }
    // The pieces of an outline that crosses itself overlap or leave parts
    // out; their areas then do not add up to the region's.
    double total = 0.0;
    for (const auto& piece : *pieces) {
        total += std::fabs(signedArea(piece));
    }
    if (std::fabs(total - std::fabs(area)) > 1e-9 * std::fabs(area) + 1e-12) {
        return splitPolygonIntoConvexParts(outline);
    }
    return std::move(*pieces);
}

std::vector<PatternItemPtr> regionFillPolygons(const std::vector<Coordinate>& outline) {
    return polygonsOfParts(convexPiecesOfRegion(outline));
}

} // namespace VeltranePatterns
