#pragma once
// A view that paints a dark, half-transparent rounded rectangle (black at
// alpha 0.45, corner radius 25) over its whole area, behind its children:
// the backdrop of overlay panels. A partial repaint paints the same shape,
// clipped to the region being repainted.

#include <QWidget>

namespace Dotfield {

class RoundedView : public QWidget {
    Q_OBJECT

  public:
    static constexpr double cornerRadius = 25.0;
    static constexpr double backgroundAlpha = 0.45;

    explicit RoundedView(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace Dotfield
