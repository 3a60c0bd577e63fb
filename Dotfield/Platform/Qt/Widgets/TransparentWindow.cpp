#include "Dotfield/Platform/Qt/Widgets/TransparentWindow.hpp"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

namespace Dotfield {

TransparentWindow::TransparentWindow(const QRect& contentRect, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setWindowOpacity(1.0);
    setGeometry(contentRect);
}

void TransparentWindow::mousePressEvent(QMouseEvent* event) {
    initialLocation_ = event->globalPosition() - QPointF(pos());
    if (event->button() == Qt::LeftButton && QGuiApplication::platformName() == QLatin1String("wayland") &&
        windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    event->accept();
}

void TransparentWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    move((event->globalPosition() - initialLocation_).toPoint());
    event->accept();
}

} // namespace Dotfield
