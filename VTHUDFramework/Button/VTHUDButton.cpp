#include "VTHUDFramework/Button/VTHUDButton.hpp"

#include <cmath>

#include <QEvent>
#include <QPainter>

namespace {

// Types whose state a click changes: push on/push off (1), toggle (2),
// switch (3), radio (4) and on/off (6).
bool keepsState(int type) { return type == 1 || type == 2 || type == 3 || type == 4 || type == 6; }

} // namespace

VTHUDButton::VTHUDButton(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(keepsState(cell_.buttonType()));
    // A change made through the checkable interface reaches the state too.
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked != (state() == VTHUDButtonCell::onState)) {
            setState(checked ? VTHUDButtonCell::onState : VTHUDButtonCell::offState);
        }
    });
}

void VTHUDButton::modelChanged() {
    updateGeometry();
    update();
}

void VTHUDButton::setBezelStyle(int style) {
    cell_.setBezelStyle(style);
    modelChanged();
}

void VTHUDButton::setButtonType(int type) {
    cell_.setButtonType(type);
    setCheckable(keepsState(type));
    setChecked(state() == VTHUDButtonCell::onState);
    modelChanged();
}

void VTHUDButton::setInspectedType(int inspectedType) {
    inspectedType_ = inspectedType;
    cell_.setInspectedType(inspectedType);
    setButtonType(cell_.buttonType());
}

void VTHUDButton::setImagePosition(int position) {
    cell_.setImagePosition(position);
    modelChanged();
}

void VTHUDButton::setShowsStateBy(int mask) {
    cell_.setShowsStateBy(mask);
    update();
}

void VTHUDButton::setHighlightsBy(int mask) {
    cell_.setHighlightsBy(mask);
    update();
}

void VTHUDButton::setState(int state) {
    const int previous = cell_.state();
    cell_.setState(state);
    if (cell_.state() == previous) {
        return;
    }
    setChecked(cell_.state() == VTHUDButtonCell::onState);
    update();
    emit stateChanged(cell_.state());
}

void VTHUDButton::setControlSize(int size) {
    cell_.setControlSize(size);
    modelChanged();
}

void VTHUDButton::setAlternateTitle(const QString& title) {
    cell_.setAlternateTitle(title);
    modelChanged();
}

void VTHUDButton::setImage(const QPixmap& image) {
    cell_.setImage(image);
    modelChanged();
}

void VTHUDButton::setAlternateImage(const QPixmap& image) {
    cell_.setAlternateImage(image);
    update();
}

void VTHUDButton::setTemplateImage(bool isTemplate) {
    cell_.setTemplateImage(isTemplate);
    update();
}

void VTHUDButton::synchroniseCell() const {
    cell_.setTitle(text());
    cell_.setFont(font());
    cell_.setEnabled(isEnabled());
    cell_.setHighlighted(isDown() || cell_.isMouseIn());
}

QSize VTHUDButton::sizeHint() const {
    synchroniseCell();
    const QSizeF size = cell_.cellSize();
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

QSize VTHUDButton::minimumSizeHint() const { return sizeHint(); }

void VTHUDButton::paintEvent(QPaintEvent*) {
    synchroniseCell();
    QPainter painter(this);
    cell_.drawWithFrame(painter, QRectF(rect()), height());
}

void VTHUDButton::enterEvent(QEnterEvent* event) {
    cell_.mouseEntered();
    update();
    QAbstractButton::enterEvent(event);
}

void VTHUDButton::leaveEvent(QEvent* event) {
    cell_.mouseExited();
    update();
    QAbstractButton::leaveEvent(event);
}

void VTHUDButton::nextCheckState() {
    if (!isCheckable()) {
        return;
    }
    if (buttonType() != VTHUDButtonCell::radioButton) {
        setState(state() == VTHUDButtonCell::onState ? VTHUDButtonCell::offState : VTHUDButtonCell::onState);
        return;
    }
    setState(VTHUDButtonCell::onState);
    if (parentWidget() == nullptr) {
        return;
    }
    for (auto* sibling : parentWidget()->findChildren<VTHUDButton*>(Qt::FindDirectChildrenOnly)) {
        if (sibling != this && sibling->buttonType() == VTHUDButtonCell::radioButton) {
            sibling->setState(VTHUDButtonCell::offState);
        }
    }
}
