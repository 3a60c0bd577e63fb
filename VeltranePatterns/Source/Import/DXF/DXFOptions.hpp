#pragma once
// The bit fields of DXF groups 70 (polylines, splines) and 92 (hatch boundary
// paths) as sets of named flags. Any raw value is accepted: bits without a name
// stay in the raw value and take part in every set operation.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace VeltranePatterns {

template <typename Derived>
class DXFOptionSet {
public:
    constexpr DXFOptionSet() = default;
    constexpr explicit DXFOptionSet(std::int64_t rawValue) : rawValue_(rawValue) {}
    constexpr DXFOptionSet(std::initializer_list<Derived> members) {
        for (const Derived& member : members) {
            rawValue_ |= member.rawValue();
        }
    }

    constexpr std::int64_t rawValue() const { return rawValue_; }
    constexpr bool isEmpty() const { return rawValue_ == 0; }

    // A member is contained when all of its bits are set.
    constexpr bool contains(Derived member) const { return (rawValue_ & member.rawValue()) == member.rawValue(); }

    constexpr Derived unionWith(Derived other) const { return Derived(rawValue_ | other.rawValue()); }
    constexpr Derived intersection(Derived other) const { return Derived(rawValue_ & other.rawValue()); }
    constexpr Derived symmetricDifference(Derived other) const { return Derived(rawValue_ ^ other.rawValue()); }
    constexpr Derived subtracting(Derived other) const { return Derived(rawValue_ & ~other.rawValue()); }

    constexpr bool isSubset(Derived other) const { return (rawValue_ & ~other.rawValue()) == 0; }
    constexpr bool isSuperset(Derived other) const { return (other.rawValue() & ~rawValue_) == 0; }
    constexpr bool isDisjoint(Derived other) const { return (rawValue_ & other.rawValue()) == 0; }

    // Adds the member's bits; true when at least one of them was missing.
    constexpr bool insert(Derived member) {
        const bool wasMissing = !contains(member);
        rawValue_ |= member.rawValue();
        return wasMissing;
    }

    // Clears the member's bits; gives the member back when all its bits had been set.
    constexpr std::optional<Derived> remove(Derived member) {
        const bool wasContained = contains(member);
        rawValue_ &= ~member.rawValue();
        return wasContained ? std::optional<Derived>(member) : std::nullopt;
    }

    // Adds the member's bits; gives the bits of the member that were already set, if any.
    constexpr std::optional<Derived> update(Derived member) {
        const std::int64_t alreadySet = rawValue_ & member.rawValue();
        rawValue_ |= member.rawValue();
        return alreadySet != 0 ? std::optional<Derived>(Derived(alreadySet)) : std::nullopt;
    }

    friend constexpr Derived operator|(Derived a, Derived b) { return a.unionWith(b); }
    friend constexpr Derived operator&(Derived a, Derived b) { return a.intersection(b); }
    friend constexpr Derived operator^(Derived a, Derived b) { return a.symmetricDifference(b); }
    friend constexpr Derived operator-(Derived a, Derived b) { return a.subtracting(b); }
    friend constexpr bool operator==(const DXFOptionSet& a, const DXFOptionSet& b) {
        return a.rawValue_ == b.rawValue_;
    }

private:
    std::int64_t rawValue_ = 0;
};

// Group 70 of POLYLINE and LWPOLYLINE.
class DXFPolylineOptions : public DXFOptionSet<DXFPolylineOptions> {
public:
    using DXFOptionSet::DXFOptionSet;

    static const DXFPolylineOptions closedPolyline;
    static const DXFPolylineOptions curveFit;
    static const DXFPolylineOptions splineFit;
    static const DXFPolylineOptions polyLine3D;
    static const DXFPolylineOptions polyLine3DMesh;
    static const DXFPolylineOptions closedPolylineMesh;
    static const DXFPolylineOptions polyfaceMesh;
    static const DXFPolylineOptions linetypePattern;

    // The names of the members that are wholly set, as a list: ["ClosedPolyline", "SplineFit"].
    std::string description() const;
};

inline constexpr DXFPolylineOptions DXFPolylineOptions::closedPolyline{1};
inline constexpr DXFPolylineOptions DXFPolylineOptions::curveFit{2};
inline constexpr DXFPolylineOptions DXFPolylineOptions::splineFit{4};
inline constexpr DXFPolylineOptions DXFPolylineOptions::polyLine3D{8};
inline constexpr DXFPolylineOptions DXFPolylineOptions::polyLine3DMesh{16};
inline constexpr DXFPolylineOptions DXFPolylineOptions::closedPolylineMesh{32};
inline constexpr DXFPolylineOptions DXFPolylineOptions::polyfaceMesh{64};
inline constexpr DXFPolylineOptions DXFPolylineOptions::linetypePattern{128};

// Group 70 of SPLINE.
class DXFSplineOptions : public DXFOptionSet<DXFSplineOptions> {
public:
    using DXFOptionSet::DXFOptionSet;

    static const DXFSplineOptions closedSpline;
    static const DXFSplineOptions periodicSpline;
    static const DXFSplineOptions rationalSpline;
    static const DXFSplineOptions planar;
    static const DXFSplineOptions linear;

    std::string description() const;
};

inline constexpr DXFSplineOptions DXFSplineOptions::closedSpline{1};
inline constexpr DXFSplineOptions DXFSplineOptions::periodicSpline{2};
inline constexpr DXFSplineOptions DXFSplineOptions::rationalSpline{4};
inline constexpr DXFSplineOptions DXFSplineOptions::planar{8};
inline constexpr DXFSplineOptions DXFSplineOptions::linear{16};

// Group 92 of HATCH: the boundary path type.
class DXFHatchOptions : public DXFOptionSet<DXFHatchOptions> {
public:
    using DXFOptionSet::DXFOptionSet;

    static const DXFHatchOptions default_; // the empty set, described as "Default"
    static const DXFHatchOptions external;
    static const DXFHatchOptions polyline;
    static const DXFHatchOptions derived;
    static const DXFHatchOptions textbox;
    static const DXFHatchOptions outermost;

    // "Default" for the empty set, else the list of the members wholly set.
    std::string description() const;
};

inline constexpr DXFHatchOptions DXFHatchOptions::default_{0};
inline constexpr DXFHatchOptions DXFHatchOptions::external{1};
inline constexpr DXFHatchOptions DXFHatchOptions::polyline{2};
inline constexpr DXFHatchOptions DXFHatchOptions::derived{4};
inline constexpr DXFHatchOptions DXFHatchOptions::textbox{8};
inline constexpr DXFHatchOptions DXFHatchOptions::outermost{16};

} // namespace VeltranePatterns
