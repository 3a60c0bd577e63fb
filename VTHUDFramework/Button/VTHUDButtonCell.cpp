#include "VTHUDFramework/Button/VTHUDButtonCell.hpp"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainterPath>

#include "VTHUDFramework/Painting/GradientBrush.hpp"
#include "VTHUDFramework/Painting/HUDPaths.hpp"
#include "VTHUDFramework/Painting/ShadowedDrawing.hpp"
#include "VTHUDFramework/Theme/VTHUDTheme.hpp"

namespace Theme = VTHUD::Theme;

namespace {

// Frame heights by control size (regular, small, mini), chosen so that each
// bezel's path rectangle has the height of the toolkit's control, and a
// check box or radio button holds its box and the box's shadow.
struct Heights {
    double regular, small, mini;
    double of(int size) const {
        return size == VTHUDButtonCell::smallSize ? small : size == VTHUDButtonCell::miniSize ? mini : regular;
    }
};

Heights heightsFor(int bezelStyle, bool isCheckType) {
    switch (bezelStyle) {
    case VTHUDButtonCell::roundedBezel:
        return {32, 28, 16};
    case VTHUDButtonCell::smallSquareBezel:
        return {24, 21, 18};
    case VTHUDButtonCell::texturedRoundedBezel:
        return {25, 21, 18};
    case VTHUDButtonCell::roundRectBezel:
    case VTHUDButtonCell::recessedBezel:
        return {18, 16, 15};
    default:
        return isCheckType ? Heights{18, 16, 17} : Heights{22, 19, 16};
    }
}

QRectF movedDown(QRectF rect, double by) {
    rect.translate(0, by);
    return rect;
}

} // namespace

void VTHUDButtonCell::setInspectedType(int inspectedType) {
    buttonType_ = inspectedType == 2 ? switchButton : inspectedType == 3 ? radioButton : 0;
}

void VTHUDButtonCell::setState(int state) { state_ = std::clamp(state, mixedState, onState); }

QFont VTHUDButtonCell::titleFont() const {
    QFont font = font_;
    font.setPixelSize(controlSize_ == smallSize ? 11 : controlSize_ == miniSize ? 9 : 13);
    return font;
}

QSizeF VTHUDButtonCell::cellSize() const {
    const QFontMetricsF metrics(titleFont());
    const double titleWidth =
        std::max(metrics.horizontalAdvance(title_), metrics.horizontalAdvance(alternateTitle_));
    const double imageWidth = image_.isNull() ? 0.0 : image_.deviceIndependentSize().width();
    double width = 0.0;
    if (isCheckType()) {
        // Box, gap and title.
        const double box = controlSize_ == smallSize ? 11 : controlSize_ == miniSize ? 9 : 13;
        width = box + 10 + titleWidth;
    } else {
        const double padding = bezelStyle_ == roundedBezel ? 30 : 22;
        width = padding + titleWidth + imageWidth + (titleWidth > 0 && imageWidth > 0 ? 4 : 0);
    }
    return {std::ceil(width), heightsFor(bezelStyle_, isCheckType()).of(controlSize_)};
}

void VTHUDButtonCell::mouseEntered() {
    if (bezelStyle_ == recessedBezel) {
        mouseIn_ = true;
        highlighted_ = true;
    }
}

void VTHUDButtonCell::mouseExited() {
    if (bezelStyle_ == recessedBezel) {
        mouseIn_ = false;
        highlighted_ = false;
    }
}

VTHUD::Gradient VTHUDButtonCell::simpleGradient() const {
    return pick(Theme::normalGradient(), Theme::pushedGradient(), Theme::highlightGradient(),
                Theme::disabledNormalGradient());
}

VTHUDButtonCell::Variant VTHUDButtonCell::variant() const {
    if (!enabled_) {
        return Variant::disabled;
    }
    if (showsStateBy_ == 12 && (highlightsBy_ == 14 || highlightsBy_ == 12)) {
        return state_ == onState ? Variant::highlight : Variant::normal;
    }
    return highlighted_ ? Variant::pushed : Variant::normal;
}

bool VTHUDButtonCell::showsAlternate() const {
    return (showsStateBy_ == 0 && highlightsBy_ == 1 && highlighted_) ||
           (showsStateBy_ == 1 && highlightsBy_ == 3 && state_ == onState);
}

void VTHUDButtonCell::drawWithFrame(QPainter& painter, QRectF frame, double controlViewHeight) {
    frame.setHeight(cellSize().height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (bezelStyle_) {
    case roundedBezel:
        drawRoundedButtonInFrame(painter, frame, controlViewHeight);
        break;
    case smallSquareBezel:
        drawSmallSquareButtonInFrame(painter, frame, controlViewHeight);
        break;
    case texturedRoundedBezel:
        drawTexturedRoundedButtonInFrame(painter, frame, controlViewHeight);
        break;
    case roundRectBezel:
        drawRoundRectButtonInFrame(painter, frame, controlViewHeight);
        break;
    case recessedBezel:
        drawRecessedButtonInFrame(painter, frame, controlViewHeight);
        break;
    default:
        break;
    }
    if (isCheckType() && imagePosition_ != noImage) {
        drawImage(painter, image_, frame, controlViewHeight);
    }
    painter.restore();
}

void VTHUDButtonCell::drawContent(QPainter& painter, const QRectF& titleRect, const QRectF& imageRect,
                                  double controlViewHeight) const {
    if (imagePosition_ != imageOnly) {
        drawTitle(painter, title_, titleRect);
    }
    if (imagePosition_ != noImage) {
        drawImage(painter, image_, imageRect, controlViewHeight);
    }
}

void VTHUDButtonCell::drawOutlinedShape(QPainter& painter, const QPainterPath& path, const VTHUD::Gradient& fill,
                                        const QRectF& bounds) const {
    VTHUD::strokePath(painter, path, Theme::darkStrokeColor(), 1.0,
               enabled_ ? std::optional(Theme::dropShadow()) : std::nullopt);
    painter.fillPath(path, VTHUD::verticalGradient(fill, bounds));
    VTHUD::strokePath(painter, path, Theme::strokeColor(), 1.0);
}

void VTHUDButtonCell::drawTexturedRoundedButtonInFrame(QPainter& painter, const QRectF& frame,
                                                       double controlViewHeight) const {
    const double top = controlSize_ == regularSize ? 1.5 : 0.5;
    const QRectF rect(frame.x() + 1.5, frame.y() + top, frame.width() - 3, frame.height() - 4);
    QPainterPath path;
    path.addRoundedRect(rect, 4.0, 4.0);
    drawOutlinedShape(painter, path, simpleGradient(), rect);
    drawContent(painter, rect, rect, controlViewHeight);
}

void VTHUDButtonCell::drawRoundRectButtonInFrame(QPainter& painter, const QRectF& frame,
                                                 double controlViewHeight) const {
    QRectF rect(frame.x() + 1.5, frame.y(), frame.width() - 3, frame.height());
    if (controlSize_ == regularSize || controlSize_ == smallSize) {
        rect.setHeight(frame.height() - 3);
    } else if (controlSize_ == miniSize) {
        rect = QRectF(rect.x(), frame.y() + 1, rect.width(), frame.height() - 5);
    }
    const QPainterPath path = VTHUD::capsulePath(rect);
    drawOutlinedShape(painter, path, simpleGradient(), rect);
    drawContent(painter, movedDown(rect, 1), rect, controlViewHeight);
}

void VTHUDButtonCell::drawSmallSquareButtonInFrame(QPainter& painter, const QRectF& frame,
                                                   double controlViewHeight) const {
    const QRectF rect(frame.x() + 1.5, frame.y() + 0.5, frame.width() - 3, controlViewHeight - 3);
    QPainterPath path;
    path.addRect(rect);
    const VTHUD::Gradient gradient =
        pick(Theme::normalComplexGradient(), Theme::pushedComplexGradient(), Theme::highlightComplexGradient(),
             Theme::disabledNormalComplexGradient());
    drawOutlinedShape(painter, path, gradient, rect);
    drawContent(painter, rect, rect, controlViewHeight);
}

namespace {

// The path rectangle of the solid-filled bezels for small and mini controls;
// the regular one differs by style.
QRectF solidBezelRect(const QRectF& frame, int controlSize, const QRectF& regular, const QRectF& small) {
    if (controlSize == VTHUDButtonCell::smallSize) {
        return small;
    }
    if (controlSize == VTHUDButtonCell::miniSize) {
        return {frame.x() + 0.5, frame.y() - 0.5, frame.width() - 1, frame.height() - 1};
    }
    return regular;
}

} // namespace

void VTHUDButtonCell::drawRoundedButtonInFrame(QPainter& painter, const QRectF& frame,
                                               double controlViewHeight) const {
    const QRectF rect = solidBezelRect(
        frame, controlSize_, {frame.x() + 4.5, frame.y() + 4.5, frame.width() - 9, frame.height() - 13},
        {frame.x() + 4.5, frame.y() + 4.5, frame.width() - 9, frame.height() - 12});
    const QColor fill = pick(Theme::normalSolidFill(), Theme::pushedSolidFill(), Theme::highlightSolidFill(),
                             Theme::disabledNormalSolidFill());
    painter.fillPath(VTHUD::capsulePath(rect), fill);
    const bool smaller = controlSize_ == smallSize || controlSize_ == miniSize;
    drawContent(painter, movedDown(rect, smaller ? 1 : 0), rect, controlViewHeight);
}

void VTHUDButtonCell::drawRecessedButtonInFrame(QPainter& painter, const QRectF& frame, double controlViewHeight) {
    const QRectF rect = solidBezelRect(
        frame, controlSize_, {frame.x() + 1.5, frame.y() + 1.5, frame.width() - 3, frame.height() - 5},
        {frame.x() + 1.5, frame.y() + 1.5, frame.width() - 3, frame.height() - 4});
    QColor fill;
    if (!enabled_) {
        fill = Theme::disabledNormalSolidFill();
    } else if (state_ == onState) {
        fill = Theme::pushedSolidFill();
        mouseIn_ = false;
    } else {
        fill = mouseIn_ ? Theme::highlightSolidFill() : Theme::normalSolidFill();
    }
    painter.fillPath(VTHUD::capsulePath(rect), fill);
    const bool smaller = controlSize_ == smallSize || controlSize_ == miniSize;
    drawContent(painter, movedDown(rect, smaller ? 1 : 0), rect, controlViewHeight);
}

QRectF VTHUDButtonCell::drawTitle(QPainter& painter, const QString& title, const QRectF& frame) const {
    QRectF rect = frame;
    if (!isCheckType()) {
        rect = QRectF(frame.x() + 5, frame.y(), frame.width() - 10, frame.height() - 2);
    }
    const QString text = showsAlternate() && !alternateTitle_.isEmpty() ? alternateTitle_ : title;
    if (text.isEmpty()) {
        return rect;
    }
    const int alignment = Qt::AlignVCenter | Qt::TextSingleLine | (isCheckType() ? Qt::AlignLeft : Qt::AlignHCenter);
    QRectF drawn;
    painter.save();
    painter.setFont(titleFont());
    painter.setPen(enabled_ ? Theme::textColor() : Theme::disabledTextColor());
    painter.drawText(rect, alignment, text, &drawn);
    painter.restore();
    return drawn;
}

void VTHUDButtonCell::drawImage(QPainter& painter, const QPixmap& image, const QRectF& frame,
                                double controlViewHeight) const {
    const bool isTemplate = templateImage_ && !image.isNull();
    if (!isTemplate && buttonType_ == radioButton) {
        drawCheckInFrame(painter, frame, true, controlViewHeight);
        return;
    }
    if (!isTemplate && buttonType_ == switchButton) {
        drawCheckInFrame(painter, frame, false, controlViewHeight);
        return;
    }
    const QPixmap& shown = !isTemplate && showsAlternate() && !alternateImage_.isNull() ? alternateImage_ : image;
    if (shown.isNull()) {
        return;
    }
    const QSizeF size = shown.deviceIndependentSize();
    const double y = frame.y() + frame.height() / 2 - size.height() / 2;
    double x = frame.x() + 5;
    switch (imagePosition_) {
    case imageOnly:
        x = frame.x() + frame.width() / 2 - size.width() / 2;
        break;
    case imageRight:
        x = frame.x() + frame.width() - size.width() - 5;
        break;
    case imageBelow:
    case imageAbove:
    case imageOverlaps:
        x = frame.x();
        break;
    default:
        break;
    }
    painter.save();
    if (!isTemplate) {
        // Only over what the bezel painted, at the control's alpha.
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.setOpacity(enabled_ ? Theme::alphaValue() : Theme::disabledAlphaValue());
    }
    painter.drawPixmap(QRectF(QPointF(x, y), size), shown, QRectF(shown.rect()));
    painter.restore();
}

void VTHUDButtonCell::drawCheckInFrame(QPainter& painter, const QRectF& frame, bool isRadio,
                                       double controlViewHeight) const {
    const double x0 = frame.x() + 0.5;
    // Centred in the widget's height.
    const double y0 = frame.y() + 0.5 + controlViewHeight / 2 - frame.height() / 2;
    QRectF titleRect(x0, y0, frame.width(), frame.height());

    const bool regular = controlSize_ == regularSize;
    const bool small = controlSize_ == smallSize;
    const double boxWidth = regular ? 13 : small ? 11 : 9;
    const double boxHeight = isRadio ? boxWidth : regular ? 12 : small ? 10 : 8;
    const double boxY = y0 + (regular ? 2 : small ? 3 : 5);
    double boxX = x0;

    switch (imagePosition_) {
    case imageOnly:
        boxX = frame.width() / 2 - boxWidth / 2 + (regular ? x0 - 0.5 : small ? x0 : x0 + 0.5);
        break;
    case imageRight:
        boxX = frame.width() - boxWidth - 1.5;
        titleRect.setX(titleRect.x() + 2);
        titleRect.setWidth(boxX - titleRect.x() - 5);
        titleRect.translate(0, regular ? -2 : small ? -1 : 0);
        break;
    case imageLeft: {
        boxX = x0 + (regular ? 2 : small ? 3 : 4);
        const double gap = regular ? 5 : small ? 6 : 4;
        titleRect.translate(0, regular ? -2 : small ? -1 : 0);
        titleRect.setX(boxX + boxWidth + gap);
        titleRect.setWidth(frame.width() - titleRect.x());
        break;
    }
    default:
        break;
    }

    const QRectF box(boxX, boxY, boxWidth, boxHeight);
    QPainterPath path;
    if (isRadio) {
        path.addEllipse(box);
    } else {
        path.addRoundedRect(box, 2.0, 2.0);
    }
    const VTHUD::Gradient fill = !enabled_     ? Theme::disabledNormalGradient()
                                 : highlighted_ ? Theme::highlightGradient()
                                                : Theme::normalGradient();
    drawOutlinedShape(painter, path, fill, box);

    if (state_ == onState && isRadio) {
        const double inset = regular ? 4 : small ? 3.5 : 3;
        QPainterPath dot;
        dot.addEllipse(box.adjusted(inset, inset, -inset, -inset));
        painter.fillPath(dot, Theme::strokeColor());
    } else if (state_ == onState) {
        const QPointF bend(box.x() + box.width() / 2, box.y() + box.height() / 2 + 2);
        QPainterPath mark;
        mark.moveTo(box.x() + 3, box.y() + box.height() / 2 - 2);
        mark.lineTo(bend);
        mark.lineTo(bend);
        mark.lineTo(box.x() + box.width() - 1, box.y() - 2);
        VTHUD::strokePath(painter, mark, Theme::strokeColor(), controlSize_ == miniSize ? 1.5 : 2.0);
    } else if (state_ == mixedState) {
        QPainterPath bar;
        bar.moveTo(box.x() + 3, box.y() + box.height() / 2);
        bar.lineTo(box.x() + box.width() - 3, box.y() + box.height() / 2);
        VTHUD::strokePath(painter, bar, Theme::strokeColor(), 2.0);
    }

    if (imagePosition_ != imageOnly && !title_.isEmpty()) {
        drawTitle(painter, title_, titleRect);
    }
}
