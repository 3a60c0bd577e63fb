#pragma once
// The blur under a shadow.

class QImage;

namespace VeltranePatterns {

// Gaussian blur of an ARGB32 premultiplied image in place, over the given
// standard deviation in pixels; pixels beyond the edges count as transparent.
// Any other format, an empty image or a sigma that is not positive leaves the
// image as it is.
void blurImage(QImage& image, double sigma);

} // namespace VeltranePatterns
