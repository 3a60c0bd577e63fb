#include "VeltranePatterns/Source/Drawing/KeptPixels.hpp"

#include <algorithm>
#include <cstring>

namespace VeltranePatterns {

namespace {

// The strips beside a stroke are a pixel or two wide: those are copied with
// fixed-size moves rather than a library call per row.
void copyPixels(std::uint32_t* to, const std::uint32_t* from, std::size_t count) {
    switch (count) {
    case 1:
        *to = *from;
        return;
    case 2:
        std::memcpy(to, from, 2 * sizeof(std::uint32_t));
        return;
    case 3:
        std::memcpy(to, from, 3 * sizeof(std::uint32_t));
        return;
    case 4:
        std::memcpy(to, from, 4 * sizeof(std::uint32_t));
        return;
    default:
        std::memcpy(to, from, count * sizeof(std::uint32_t));
    }
}

} // namespace

bool KeptPixels::canKeep(const QImage& image) { return image.depth() == 32 && image.isDetached(); }

// Written with plain integers: this runs for nearly every item of a redraw.
void KeptPixels::keep(const QImage& image, const QRect& outer, const QRect& inner) {
    rectCount_ = 0;
    pixels_.clear();
    // Both rectangles as half-open ranges, the outer one within the image.
    const int left = std::max(outer.left(), 0);
    const int top = std::max(outer.top(), 0);
    const int right = std::min(outer.left() + outer.width(), image.width());
    const int bottom = std::min(outer.top() + outer.height(), image.height());
    if (left >= right || top >= bottom) {
        return;
    }
    const int innerLeft = std::clamp(inner.left(), left, right);
    const int innerRight = std::clamp(inner.left() + inner.width(), innerLeft, right);
    const int innerTop = std::clamp(inner.top(), top, bottom);
    const int innerBottom = std::clamp(inner.top() + inner.height(), innerTop, bottom);
    if (innerLeft == innerRight || innerTop == innerBottom) {
        add(left, top, right, bottom);
    } else {
        // Above and below the inner rectangle across the whole width, beside
        // it at its height.
        add(left, top, right, innerTop);
        add(left, innerBottom, right, bottom);
        add(left, innerTop, innerLeft, innerBottom);
        add(innerRight, innerTop, right, innerBottom);
    }
    std::size_t total = 0;
    for (std::size_t r = 0; r < rectCount_; ++r) {
        total += rects_[r].pixelCount();
    }
    pixels_.resize(total);
    std::uint32_t* to = pixels_.data();
    for (std::size_t r = 0; r < rectCount_; ++r) {
        const Span& span = rects_[r];
        const auto width = static_cast<std::size_t>(span.right - span.left);
        for (int y = span.top; y < span.bottom; ++y) {
            copyPixels(to, reinterpret_cast<const std::uint32_t*>(image.constScanLine(y)) + span.left, width);
            to += width;
        }
    }
}

void KeptPixels::add(int left, int top, int right, int bottom) {
    if (left < right && top < bottom) {
        rects_[rectCount_++] = {left, top, right, bottom};
    }
}

void KeptPixels::restore(QImage& image) const {
    if (rectCount_ == 0) {
        return;
    }
    // The image is not shared (canKeep), so writing to it detaches nothing
    // and reaches the pixels a painter on it paints.
    uchar* bits = image.bits();
    const auto stride = static_cast<std::size_t>(image.bytesPerLine());
    const std::uint32_t* from = pixels_.data();
    for (std::size_t r = 0; r < rectCount_; ++r) {
        const Span& span = rects_[r];
        const auto width = static_cast<std::size_t>(span.right - span.left);
        for (int y = span.top; y < span.bottom; ++y) {
            copyPixels(reinterpret_cast<std::uint32_t*>(bits + static_cast<std::size_t>(y) * stride) + span.left, from,
                       width);
            from += width;
        }
    }
}

} // namespace VeltranePatterns
