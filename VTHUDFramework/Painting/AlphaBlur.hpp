#pragma once
// The blur under a control's shadow: only the coverage (alpha) of a shape is
// blurred, since a shadow is one colour.

#include <vector>

namespace VTHUD {

// A width × height grid of coverage values between 0 and 1, row by row.
struct AlphaMask {
    int width = 0;
    int height = 0;
    std::vector<float> values;
};

// Gaussian blur of the mask in place with the given standard deviation in
// pixels; coverage beyond the edges counts as zero. A sigma that is not
// positive, or an empty mask, leaves the mask as it is.
void blurAlphaMask(AlphaMask& mask, double sigma);

} // namespace VTHUD
