#pragma once
// Which item layers of the preview lie under a rectangle of the view, in
// drawing order: a grid of square cells over the view, each listing the
// layers whose rectangle touches it, so that redrawing around one item looks
// at its neighbours only, however many items the pattern has. Layers beyond
// the view are kept in its border cells.

#include <cstdint>
#include <vector>

#include <QRectF>
#include <QSizeF>

namespace Dotfield {

class PreviewLayerIndex {
  public:
    static constexpr double cellSize = 16.0;

    // rects: every layer's rectangle, in drawing order.
    void rebuild(const std::vector<QRectF>& rects, QSizeF viewSize);
    // The drawing-order positions of the layers whose cells the area touches,
    // ascending and each once (a superset of the layers the area meets).
    std::vector<std::uint32_t> candidates(const QRectF& area) const;

  private:
    int column(double x) const;
    int row(double y) const;

    int columns_ = 0;
    int rows_ = 0;
    std::vector<std::vector<std::uint32_t>> cells_;
};

} // namespace Dotfield
