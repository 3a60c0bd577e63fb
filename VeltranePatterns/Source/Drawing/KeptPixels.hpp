#pragma once
// The pixels of an image in one rectangle but outside another, kept aside
// and put back: painting without a clip between the two leaves the image as
// painting clipped to the inner rectangle would, since a clip only decides
// which pixels change, never how much. The buffer is reused, so keeping the
// thin frame around a small item costs no allocation.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QRect>

namespace VeltranePatterns {

class KeptPixels {
public:
    // Whether the image's pixels can be kept: 32 bits each, not shared.
    static bool canKeep(const QImage& image);

    // Keeps the pixels of the image in the outer rectangle but not in the inner one.
    void keep(const QImage& image, const QRect& outer, const QRect& inner);
    // Puts the kept pixels back into the image.
    void restore(QImage& image) const;

private:
    // Pixels from left to right (not included), top to bottom (not included).
    struct Span {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        std::size_t pixelCount() const {
            return static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bottom - top);
        }
    };
    void add(int left, int top, int right, int bottom);

    std::array<Span, 4> rects_;
    std::size_t rectCount_ = 0;
    std::vector<std::uint32_t> pixels_;
};

} // namespace VeltranePatterns
