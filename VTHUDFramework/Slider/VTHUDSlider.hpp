#pragma once
// A heads-up-display slider: horizontal, painted by its VTHUDSliderCell. It
// follows a drag of its knob, a click on its track (the knob jumps there and
// follows the drag) and the arrow keys; the knob is highlighted while dragged.
// Its one cell lives as long as the slider, so everything a window layout
// sets (range, value, control size, tick marks) stays.

#include <QAbstractSlider>

#include "VTHUDFramework/Slider/VTHUDSliderCell.hpp"

class VTHUDSlider : public QAbstractSlider {
    Q_OBJECT
    Q_PROPERTY(int controlSize READ controlSize WRITE setControlSize)
    Q_PROPERTY(int numberOfTickMarks READ numberOfTickMarks WRITE setNumberOfTickMarks)
    Q_PROPERTY(int tickMarkPosition READ tickMarkPosition WRITE setTickMarkPosition)
    Q_PROPERTY(int sliderType READ sliderType WRITE setSliderType)
    Q_PROPERTY(int focusRingType READ focusRingType WRITE setFocusRingType)

  public:
    explicit VTHUDSlider(QWidget* parent = nullptr);

    int controlSize() const { return cell_.controlSize(); }
    void setControlSize(int size);
    int numberOfTickMarks() const { return cell_.numberOfTickMarks(); }
    void setNumberOfTickMarks(int count);
    int tickMarkPosition() const { return cell_.tickMarkPosition(); }
    void setTickMarkPosition(int position);
    int sliderType() const { return cell_.sliderType(); }
    void setSliderType(int type);
    int focusRingType() const { return cell_.focusRingType(); }
    void setFocusRingType(int type);

    const VTHUDSliderCell& cell() const { return cell_; }
    // The value's place in the range, 0 to 1.
    double valueFraction() const;
    // The knob's square in the widget.
    QRectF knobRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void synchroniseCell() const;
    void appearanceChanged();
    // Moves the knob so that its left edge lies at `knobX`.
    void dragKnobTo(double knobX);

    mutable VTHUDSliderCell cell_;
    // Where in the knob the drag holds it, from the knob's left edge.
    double grabOffset_ = 0.0;
};
