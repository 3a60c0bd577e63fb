#include "VTHUDFramework/Painting/ShadowedDrawing.hpp"

#include <cmath>

#include <QImage>
#include <QPaintDevice>
#include <QPainterPathStroker>

#include "VTHUDFramework/Painting/AlphaBlur.hpp"

namespace VTHUD {

void paintShadow(QPainter& painter, const QPainterPath& area, const QBrush& brush, const Shadow& shadow) {
    const QPaintDevice* device = painter.device();
    if (device == nullptr || area.isEmpty() || !(shadow.blurRadius >= 0.0) || shadow.color.alpha() == 0) {
        return;
    }
    const double sigma = shadow.blurRadius / 2.0;
    const int reach = static_cast<int>(std::ceil(3.0 * sigma)) + 1;
    const QPointF offset(shadow.offset.x(), -shadow.offset.y());
    const QTransform toDevice = painter.combinedTransform();

    // Only what can land on the device is rendered, with room for the blur.
    const QRectF deviceArea = QRectF(0, 0, device->width(), device->height()).adjusted(-reach, -reach, reach, reach);
    const QRectF shapeBounds = toDevice.map(area).boundingRect().adjusted(-reach, -reach, reach, reach);
    // A shape with a coordinate that is not a number casts no shadow.
    if (!std::isfinite(shapeBounds.left()) || !std::isfinite(shapeBounds.right()) ||
        !std::isfinite(shapeBounds.top()) || !std::isfinite(shapeBounds.bottom())) {
        return;
    }
    const QRect maskRect = shapeBounds.intersected(deviceArea.translated(-offset)).toAlignedRect();
    if (maskRect.isEmpty()) {
        return;
    }

    QImage coverage(maskRect.size(), QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter maskPainter(&coverage);
        maskPainter.setRenderHint(QPainter::Antialiasing, painter.testRenderHint(QPainter::Antialiasing));
        maskPainter.translate(-maskRect.topLeft());
        maskPainter.setTransform(toDevice, true);
        maskPainter.fillPath(area, brush);
    }

    AlphaMask mask{coverage.width(), coverage.height(), {}};
    mask.values.resize(static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height));
    for (int y = 0; y < mask.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        for (int x = 0; x < mask.width; ++x) {
            mask.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.width) +
                        static_cast<std::size_t>(x)] = static_cast<float>(qAlpha(line[x])) / 255.0f;
        }
    }
    blurAlphaMask(mask, sigma);

    const QRgb color = shadow.color.rgba();
    const double colorAlpha = shadow.color.alphaF();
    for (int y = 0; y < mask.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(coverage.scanLine(y));
        for (int x = 0; x < mask.width; ++x) {
            const double a = colorAlpha * mask.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.width) +
                                                      static_cast<std::size_t>(x)];
            line[x] = qPremultiply(qRgba(qRed(color), qGreen(color), qBlue(color),
                                         static_cast<int>(std::lround(std::clamp(a, 0.0, 1.0) * 255.0))));
        }
    }

    painter.save();
    painter.resetTransform();
    painter.drawImage(QPointF(maskRect.topLeft()) + offset, coverage);
    painter.restore();
}

void fillPath(QPainter& painter, const QPainterPath& path, const QBrush& brush, const std::optional<Shadow>& shadow) {
    if (shadow) {
        paintShadow(painter, path, brush, *shadow);
    }
    painter.fillPath(path, brush);
}

void strokePath(QPainter& painter, const QPainterPath& path, const QColor& color, double width,
                const std::optional<Shadow>& shadow) {
    const QPen pen(QBrush(color), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (shadow) {
        QPainterPathStroker stroker(pen);
        paintShadow(painter, stroker.createStroke(path), QBrush(color), *shadow);
    }
    painter.strokePath(path, pen);
}

} // namespace VTHUD
