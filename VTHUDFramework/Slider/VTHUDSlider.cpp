#include "VTHUDFramework/Slider/VTHUDSlider.hpp"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

VTHUDSlider::VTHUDSlider(QWidget* parent) : QAbstractSlider(parent) {
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The knob's highlight follows the drag.
    connect(this, &QAbstractSlider::sliderPressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractSlider::sliderReleased, this, qOverload<>(&QWidget::update));
}

void VTHUDSlider::appearanceChanged() {
    updateGeometry();
    update();
}

void VTHUDSlider::setControlSize(int size) {
    cell_.setControlSize(size);
    appearanceChanged();
}

void VTHUDSlider::setNumberOfTickMarks(int count) {
    cell_.setNumberOfTickMarks(count);
    appearanceChanged();
}

void VTHUDSlider::setTickMarkPosition(int position) {
    cell_.setTickMarkPosition(position);
    appearanceChanged();
}

void VTHUDSlider::setSliderType(int type) {
    cell_.setSliderType(type);
    update();
}

void VTHUDSlider::setFocusRingType(int type) {
    cell_.setFocusRingType(type);
    update();
}

double VTHUDSlider::valueFraction() const {
    const double span = static_cast<double>(maximum()) - minimum();
    return span > 0 ? (static_cast<double>(sliderPosition()) - minimum()) / span : 0.0;
}

QRectF VTHUDSlider::knobRect() const {
    return cell_.knobRect(cell_.drawingFrame(QRectF(rect())), valueFraction());
}

void VTHUDSlider::synchroniseCell() const {
    cell_.setEnabled(isEnabled());
    cell_.setHighlighted(isSliderDown());
}

QSize VTHUDSlider::sizeHint() const {
    return {96, static_cast<int>(std::ceil(cell_.preferredHeight()))};
}

QSize VTHUDSlider::minimumSizeHint() const {
    return {static_cast<int>(std::ceil(cell_.knobSide())) + 8, sizeHint().height()};
}

void VTHUDSlider::paintEvent(QPaintEvent*) {
    synchroniseCell();
    QPainter painter(this);
    cell_.drawWithBounds(painter, QRectF(rect()), valueFraction());
}

void VTHUDSlider::dragKnobTo(double knobX) {
    const double fraction = cell_.fractionForKnobAt(cell_.drawingFrame(QRectF(rect())), knobX);
    setSliderPosition(minimum() + static_cast<int>(std::lround(fraction * (static_cast<double>(maximum()) - minimum()))));
}

void VTHUDSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || maximum() == minimum()) {
        event->ignore();
        return;
    }
    event->accept();
    const QRectF knob = knobRect();
    const double x = event->position().x();
    setSliderDown(true);
    if (knob.left() <= x && x <= knob.right()) {
        grabOffset_ = x - knob.left();
    } else {
        // A click on the track brings the knob's middle to it.
        grabOffset_ = knob.width() / 2;
        dragKnobTo(x - grabOffset_);
    }
}

void VTHUDSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    event->accept();
    dragKnobTo(event->position().x() - grabOffset_);
}

void VTHUDSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!isSliderDown() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    dragKnobTo(event->position().x() - grabOffset_);
    setSliderDown(false);
}
