#pragma once
// What painting a view's layers found out about each of them, kept while the
// layers stay where they are, so that painting them all again goes straight
// to the painter: for a layer drawn as one straight segment (a line or a
// point), where the segment lies on the device and the pixels the layer's
// clip keeps, or that the clip takes nothing off it; and the pen each display
// state strokes with. Positions are the layers' places in drawing order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <QLineF>
#include <QPen>
#include <QRect>

#include "VeltranePatterns/Source/Drawing/DisplayState.hpp"

namespace VeltranePatterns {

// A segment as a layer strokes it, in device coordinates, with the device
// pixels its clip keeps (or none when the clip would take nothing off it)
// and the pixels its stroke may touch.
struct StrokedSegment {
    QLineF line;
    std::optional<QRect> clip;
    QRect touched;
};

class PatternItemLayerSegments {
public:
    // Forgets everything; the view now has this many layers.
    void reset(std::size_t layerCount);

    // The segment of the layer at the position, when it is known to draw as
    // one and its state's pen is known and of the width and cap it was drawn with.
    const StrokedSegment* segment(std::size_t position, DisplayState state) const;
    const QPen& pen(DisplayState state) const { return pens_[index(state)]; }

    // What the layer at the position drew: one segment with the pen, or
    // something else (nullptr).
    void remember(std::size_t position, DisplayState state, const StrokedSegment* segment, const QPen& pen);

private:
    enum class Kind : std::uint8_t { unknown, segment, other };
    struct Entry {
        StrokedSegment segment;
        double width = 0.0;
        Qt::PenCapStyle cap = Qt::FlatCap;
        Kind kind = Kind::unknown;
    };
    static std::size_t index(DisplayState state) { return static_cast<std::size_t>(state); }

    std::vector<Entry> entries_;
    std::array<QPen, 3> pens_;
    // Each pen's width and cap, or a width of -1 while the pen is unknown.
    std::array<double, 3> penWidths_{-1.0, -1.0, -1.0};
    std::array<Qt::PenCapStyle, 3> penCaps_{};
};

} // namespace VeltranePatterns
