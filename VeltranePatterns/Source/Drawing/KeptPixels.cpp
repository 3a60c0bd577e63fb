#include "VeltranePatterns/Source/Drawing/KeptPixels.hpp"

#include <algorithm>
#include <cstring>

namespace VeltranePatterns {

bool KeptPixels::canKeep(const QImage& image) { return image.depth() == 32 && image.isDetached(); }

void KeptPixels::keep(const QImage& image, const QRect& outer, const QRect& inner) {
    rects_.clear();
    pixels_.clear();
    const QRect area = outer & image.rect();
    if (area.isEmpty()) {
        return;
    }
    const QRect kept = inner & area;
    if (kept.isEmpty()) {
        keepRect(image, area);
        return;
    }
    // Above and below the inner rectangle across the whole width, beside it
    // at its height.
    keepRect(image, QRect(QPoint(area.left(), area.top()), QPoint(area.right(), kept.top() - 1)));
    keepRect(image, QRect(QPoint(area.left(), kept.bottom() + 1), QPoint(area.right(), area.bottom())));
    keepRect(image, QRect(QPoint(area.left(), kept.top()), QPoint(kept.left() - 1, kept.bottom())));
    keepRect(image, QRect(QPoint(kept.right() + 1, kept.top()), QPoint(area.right(), kept.bottom())));
}

void KeptPixels::keepRect(const QImage& image, const QRect& rect) {
    if (rect.isEmpty()) {
        return;
    }
    rects_.push_back(rect);
    const auto width = static_cast<std::size_t>(rect.width());
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y)) + rect.left();
        pixels_.insert(pixels_.end(), line, line + width);
    }
}

void KeptPixels::restore(QImage& image) const {
    // The image is not shared (canKeep), so writing to it detaches nothing
    // and reaches the pixels a painter on it paints.
    uchar* bits = image.bits();
    const auto stride = static_cast<std::size_t>(image.bytesPerLine());
    const std::uint32_t* from = pixels_.data();
    for (const QRect& rect : rects_) {
        const auto width = static_cast<std::size_t>(rect.width());
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            auto* line = reinterpret_cast<std::uint32_t*>(bits + static_cast<std::size_t>(y) * stride) + rect.left();
            std::memcpy(line, from, width * sizeof(std::uint32_t));
            from += width;
        }
    }
}

} // namespace VeltranePatterns
