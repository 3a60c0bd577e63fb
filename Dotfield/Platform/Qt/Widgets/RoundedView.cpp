#include "Dotfield/Platform/Qt/Widgets/RoundedView.hpp"

#include <algorithm>

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace Dotfield {

RoundedView::RoundedView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void RoundedView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRegion(event->region());
    // The shape always spans the whole view; the region only limits what is painted.
    const QRectF bounds = rect();
    const double radius = std::min({cornerRadius, bounds.width() / 2.0, bounds.height() / 2.0});
    QPainterPath path;
    path.addRoundedRect(bounds, radius, radius);
    painter.fillPath(path, QColor::fromRgbF(0.0, 0.0, 0.0, backgroundAlpha));
}

} // namespace Dotfield
