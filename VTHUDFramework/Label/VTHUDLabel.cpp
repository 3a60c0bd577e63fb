#include "VTHUDFramework/Label/VTHUDLabel.hpp"

#include <QPalette>

#include "VTHUDFramework/Theme/VTHUDTheme.hpp"

VTHUDLabel::VTHUDLabel(QWidget* parent) : VTHUDLabel(QString(), parent) {}

VTHUDLabel::VTHUDLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFrameShape(QFrame::NoFrame);
    setTextInteractionFlags(Qt::NoTextInteraction);
    applyTextColors();
}

void VTHUDLabel::applyTextColors() {
    QPalette colors = palette();
    const QColor enabled = VTHUD::Theme::textColor();
    const QColor disabled = VTHUD::Theme::labelDisabledTextColor();
    if (colors.color(QPalette::Active, QPalette::WindowText) == enabled &&
        colors.color(QPalette::Inactive, QPalette::WindowText) == enabled &&
        colors.color(QPalette::Disabled, QPalette::WindowText) == disabled) {
        return;
    }
    colors.setColor(QPalette::Active, QPalette::WindowText, enabled);
    colors.setColor(QPalette::Inactive, QPalette::WindowText, enabled);
    colors.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    setPalette(colors);
}

void VTHUDLabel::paintEvent(QPaintEvent* event) {
    // The theme's colours win over any the layout gave.
    applyTextColors();
    QLabel::paintEvent(event);
}
