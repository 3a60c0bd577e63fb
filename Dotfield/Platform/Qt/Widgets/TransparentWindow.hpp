#pragma once
// A borderless, clear, shadowless window that floats above the others, can
// take keyboard focus, and is moved by dragging anywhere inside it, keeping
// the grabbed point under the pointer. Under Wayland, where a client cannot
// place its own windows, the drag is handed to the compositor.

#include <QPointF>
#include <QWidget>

namespace Dotfield {

class TransparentWindow : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QPointF initialLocation READ initialLocation WRITE setInitialLocation)

  public:
    // A top-level window whose content area is the rectangle, in screen
    // coordinates. It takes no window flags: it is always frameless.
    explicit TransparentWindow(const QRect& contentRect, QWidget* parent = nullptr);

    // The pointer's offset from the window's origin when the button went down.
    QPointF initialLocation() const { return initialLocation_; }
    void setInitialLocation(const QPointF& location) { initialLocation_ = location; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QPointF initialLocation_;
};

} // namespace Dotfield
