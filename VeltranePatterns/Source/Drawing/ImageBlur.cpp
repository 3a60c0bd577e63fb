#include "VeltranePatterns/Source/Drawing/ImageBlur.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QImage>

namespace VeltranePatterns {

void blurImage(QImage& image, double sigma) {
    if (!(sigma > 0.0) || image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied) {
        return;
    }
    const int reach = static_cast<int>(std::ceil(3.0 * sigma));
    std::vector<double> kernel(static_cast<std::size_t>(2 * reach + 1));
    double total = 0.0;
    for (int i = -reach; i <= reach; ++i) {
        const double weight = std::exp(-(i * i) / (2.0 * sigma * sigma));
        kernel[static_cast<std::size_t>(i + reach)] = weight;
        total += weight;
    }
    for (double& weight : kernel) {
        weight /= total;
    }

    const int width = image.width();
    const int height = image.height();
    std::vector<double> channels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    auto at = [&](int x, int y, int c) -> double& {
        return channels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                            4 +
                        static_cast<std::size_t>(c)];
    };
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            at(x, y, 0) = qAlpha(line[x]);
            at(x, y, 1) = qRed(line[x]);
            at(x, y, 2) = qGreen(line[x]);
            at(x, y, 3) = qBlue(line[x]);
        }
    }

    // Horizontal, then vertical; pixels beyond the edges count as transparent.
    std::vector<double> scratch(channels.size(), 0.0);
    auto scratchAt = [&](int x, int y, int c) -> double& {
        return scratch[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                           4 +
                       static_cast<std::size_t>(c)];
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 4; ++c) {
                double sum = 0.0;
                for (int i = std::max(-reach, -x); i <= std::min(reach, width - 1 - x); ++i) {
                    sum += kernel[static_cast<std::size_t>(i + reach)] * at(x + i, y, c);
                }
                scratchAt(x, y, c) = sum;
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            double value[4];
            for (int c = 0; c < 4; ++c) {
                double sum = 0.0;
                for (int i = std::max(-reach, -y); i <= std::min(reach, height - 1 - y); ++i) {
                    sum += kernel[static_cast<std::size_t>(i + reach)] * scratchAt(x, y + i, c);
                }
                value[c] = sum;
            }
            auto channel = [](double v) { return static_cast<int>(std::clamp(std::lround(v), 0L, 255L)); };
            const int alpha = channel(value[0]);
            // Premultiplied colour never exceeds its alpha.
            line[x] = qRgba(std::min(channel(value[1]), alpha), std::min(channel(value[2]), alpha),
                            std::min(channel(value[3]), alpha), alpha);
        }
    }
}

} // namespace VeltranePatterns
