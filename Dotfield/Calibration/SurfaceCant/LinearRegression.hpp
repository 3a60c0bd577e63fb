#pragma once
// The ordinary least-squares line y = slope × x + intercept through a list of
// (x, y) pairs. The surface-cant calibration fits the heights measured along
// one axis with it and takes the slope as the cant in that direction.

#include <span>
#include <utility>

namespace Dotfield {

struct LinearFit {
    double slope = 0.0;
    double intercept = 0.0;
    friend bool operator==(const LinearFit&, const LinearFit&) = default;
};

// The sums are formed in index order, so a result is reproducible bit for bit.
// Fewer than two pairs, or pairs whose x values make the denominator exactly 0
// (all x equal), give (0, 0). A NaN in the input is not degenerate: it makes
// the result NaN.
LinearFit linearRegression(std::span<const std::pair<double, double>> pairs);

} // namespace Dotfield
