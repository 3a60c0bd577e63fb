#include "VTHUDFramework/Painting/AlphaBlur.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace VTHUD {
namespace {

std::vector<float> gaussianKernel(double sigma) {
    const int reach = static_cast<int>(std::ceil(3.0 * sigma));
    std::vector<float> kernel(static_cast<std::size_t>(2 * reach + 1));
    double total = 0.0;
    for (int i = -reach; i <= reach; ++i) {
        total += std::exp(-(i * i) / (2.0 * sigma * sigma));
    }
    for (int i = -reach; i <= reach; ++i) {
        kernel[static_cast<std::size_t>(i + reach)] =
            static_cast<float>(std::exp(-(i * i) / (2.0 * sigma * sigma)) / total);
    }
    return kernel;
}

// One pass along lines of `count` values spaced `stride` apart, starting at
// each of `lines` origins spaced `lineStride` apart.
void blurLines(std::vector<float>& values, const std::vector<float>& kernel, int lines, int lineStride, int count,
               int stride) {
    const int reach = static_cast<int>(kernel.size() / 2);
    std::vector<float> line(static_cast<std::size_t>(count));
    for (int l = 0; l < lines; ++l) {
        const std::size_t origin = static_cast<std::size_t>(l) * static_cast<std::size_t>(lineStride);
        auto at = [&](int i) -> float& {
            return values[origin + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride)];
        };
        for (int i = 0; i < count; ++i) {
            line[static_cast<std::size_t>(i)] = at(i);
        }
        for (int i = 0; i < count; ++i) {
            float sum = 0.0f;
            const int first = std::max(-reach, -i);
            const int last = std::min(reach, count - 1 - i);
            for (int k = first; k <= last; ++k) {
                sum += kernel[static_cast<std::size_t>(k + reach)] * line[static_cast<std::size_t>(i + k)];
            }
            at(i) = sum;
        }
    }
}

} // namespace

void blurAlphaMask(AlphaMask& mask, double sigma) {
    if (!(sigma > 0.0) || mask.width <= 0 || mask.height <= 0 ||
        mask.values.size() != static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height)) {
        return;
    }
    const std::vector<float> kernel = gaussianKernel(sigma);
    blurLines(mask.values, kernel, mask.height, mask.width, mask.width, 1); // rows
    blurLines(mask.values, kernel, mask.width, 1, mask.height, mask.width); // columns
}

} // namespace VTHUD
