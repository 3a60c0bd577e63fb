#include "Dotfield/Printing/UI/PreviewLayerIndex.hpp"

#include <algorithm>
#include <cmath>

namespace Dotfield {

void PreviewLayerIndex::rebuild(const std::vector<QRectF>& rects, QSizeF viewSize) {
    columns_ = std::max(1, static_cast<int>(std::ceil(viewSize.width() / cellSize)));
    rows_ = std::max(1, static_cast<int>(std::ceil(viewSize.height() / cellSize)));
    cells_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), {});
    for (std::uint32_t position = 0; position < rects.size(); ++position) {
        const QRectF& rect = rects[position];
        for (int r = row(rect.top()); r <= row(rect.bottom()); ++r) {
            for (int c = column(rect.left()); c <= column(rect.right()); ++c) {
                cells_[static_cast<std::size_t>(r * columns_ + c)].push_back(position);
            }
        }
    }
}

std::vector<std::uint32_t> PreviewLayerIndex::candidates(const QRectF& area) const {
    std::vector<std::uint32_t> found;
    if (cells_.empty()) {
        return found;
    }
    for (int r = row(area.top()); r <= row(area.bottom()); ++r) {
        for (int c = column(area.left()); c <= column(area.right()); ++c) {
            const auto& cell = cells_[static_cast<std::size_t>(r * columns_ + c)];
            found.insert(found.end(), cell.begin(), cell.end());
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

int PreviewLayerIndex::column(double x) const {
    // NaN and far-away places fall into the border cells.
    const double cell = std::floor(x / cellSize);
    return std::isnan(cell) ? 0 : static_cast<int>(std::clamp(cell, 0.0, static_cast<double>(columns_ - 1)));
}

int PreviewLayerIndex::row(double y) const {
    const double cell = std::floor(y / cellSize);
    return std::isnan(cell) ? 0 : static_cast<int>(std::clamp(cell, 0.0, static_cast<double>(rows_ - 1)));
}

} // namespace Dotfield
