#include "VeltranePatterns/Source/Drawing/PatternItemLayerSegments.hpp"

namespace VeltranePatterns {

void PatternItemLayerSegments::reset(std::size_t layerCount) {
    entries_.assign(layerCount, Entry{});
    knownPens_.fill(false);
}

const StrokedSegment* PatternItemLayerSegments::segment(std::size_t position, DisplayState state) const {
    if (position >= entries_.size() || !knownPens_[index(state)]) {
        return nullptr;
    }
    const Entry& entry = entries_[position];
    const QPen& pen = pens_[index(state)];
    if (entry.kind != Kind::segment || pen.widthF() != entry.width || pen.capStyle() != entry.cap) {
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
    knownPens_[index(state)] = true;
}

} // namespace VeltranePatterns
