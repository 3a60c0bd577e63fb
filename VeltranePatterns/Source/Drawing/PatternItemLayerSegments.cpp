#include "VeltranePatterns/Source/Drawing/PatternItemLayerSegments.hpp"

namespace VeltranePatterns {

void PatternItemLayerSegments::reset(std::size_t layerCount) {
    entries_.assign(layerCount, Entry{});
    penWidths_.fill(-1.0);
}

const StrokedSegment* PatternItemLayerSegments::segment(std::size_t position, DisplayState state) const {
    if (position >= entries_.size()) {
        return nullptr;
    }
    const Entry& entry = entries_[position];
    if (entry.kind != Kind::segment || penWidths_[index(state)] != entry.width || penCaps_[index(state)] != entry.cap) {
        return nullptr;
    }
    return &entry.segment;
}

void PatternItemLayerSegments::remember(std::size_t position, DisplayState state, const StrokedSegment* segment,
                                        const QPen& pen) {
    if (position >= entries_.size()) {
        return;
    }
    Entry& entry = entries_[position];
    if (segment == nullptr) {
        entry.kind = Kind::other;
        return;
    }
    entry = {*segment, pen.widthF(), pen.capStyle(), Kind::segment};
    pens_[index(state)] = pen;
    penWidths_[index(state)] = pen.widthF();
    penCaps_[index(state)] = pen.capStyle();
}

} // namespace VeltranePatterns
