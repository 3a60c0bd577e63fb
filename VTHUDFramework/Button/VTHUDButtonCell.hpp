#pragma once
// The painter of a heads-up-display button: holds the button's model (bezel
// style, button type, image position, state, control size, titles, images)
// and draws it with a given QPainter, so it can paint on an image as well as
// in a widget. Rectangles are in the widget's coordinates, y growing downward.

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include "VTHUDFramework/Theme/VTHUDTheme.hpp"

class VTHUDButtonCell {
  public:
    // Bezel styles that paint; any other style paints no bezel.
    static constexpr int roundedBezel = 1;
    static constexpr int smallSquareBezel = 10;
    static constexpr int texturedRoundedBezel = 11;
    static constexpr int roundRectBezel = 12;
    static constexpr int recessedBezel = 13;

    // Button types the painters know; the others paint as push buttons.
    static constexpr int switchButton = 3;
    static constexpr int radioButton = 4;

    // Image positions.
    static constexpr int noImage = 0;
    static constexpr int imageOnly = 1;
    static constexpr int imageLeft = 2;
    static constexpr int imageRight = 3;
    static constexpr int imageBelow = 4;
    static constexpr int imageAbove = 5;
    static constexpr int imageOverlaps = 6;

    // States.
    static constexpr int mixedState = -1;
    static constexpr int offState = 0;
    static constexpr int onState = 1;

    // Control sizes.
    static constexpr int regularSize = 0;
    static constexpr int smallSize = 1;
    static constexpr int miniSize = 2;

    int bezelStyle() const { return bezelStyle_; }
    void setBezelStyle(int style) { bezelStyle_ = style; }

    // The type the painters read: a switch (3) unless set otherwise.
    int buttonType() const { return buttonType_; }
    void setButtonType(int type) { buttonType_ = type; }
    // The type as an inspector gives it: 2 makes a switch (3), 3 a radio
    // button (4), anything else type 0.
    void setInspectedType(int inspectedType);

    int imagePosition() const { return imagePosition_; }
    void setImagePosition(int position) { imagePosition_ = position; }
    int showsStateBy() const { return showsStateBy_; }
    void setShowsStateBy(int mask) { showsStateBy_ = mask; }
    int highlightsBy() const { return highlightsBy_; }
    void setHighlightsBy(int mask) { highlightsBy_ = mask; }
    // -1 mixed, 0 off, 1 on; other values count as the nearest of them.
    int state() const { return state_; }
    void setState(int state);
    int controlSize() const { return controlSize_; }
    void setControlSize(int size) { controlSize_ = size; }

    const QString& title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    const QString& alternateTitle() const { return alternateTitle_; }
    void setAlternateTitle(const QString& title) { alternateTitle_ = title; }
    const QPixmap& image() const { return image_; }
    void setImage(const QPixmap& image) { image_ = image; }
    const QPixmap& alternateImage() const { return alternateImage_; }
    void setAlternateImage(const QPixmap& image) { alternateImage_ = image; }
    // A template image is drawn as it is, without the cell's alpha.
    bool isTemplateImage() const { return templateImage_; }
    void setTemplateImage(bool isTemplate) { templateImage_ = isTemplate; }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
    // The mouse is inside a recessed button (its hover fill).
    bool isMouseIn() const { return mouseIn_; }

    // The font the title's size is taken from.
    const QFont& font() const { return font_; }
    void setFont(const QFont& font) { font_ = font; }
    // The title's font: the cell's font at 13, 11 or 9 pixels by control size.
    QFont titleFont() const;

    // The size the button wants; its height is the frame height painted.
    QSizeF cellSize() const;

    // Hover of a recessed button; other styles ignore it.
    void mouseEntered();
    void mouseExited();

    // Paints the whole button in `frame`; `controlViewHeight` is the height
    // of the widget painted into (0 without one).
    void drawWithFrame(QPainter& painter, QRectF frame, double controlViewHeight);
    // Paints the title (or the alternate title) and answers the rectangle it
    // took; an empty title paints nothing and answers the title rectangle.
    QRectF drawTitle(QPainter& painter, const QString& title, const QRectF& frame) const;
    // Paints the image, or the check box or radio button of those types.
    void drawImage(QPainter& painter, const QPixmap& image, const QRectF& frame, double controlViewHeight) const;

    void drawRoundedButtonInFrame(QPainter& painter, const QRectF& frame, double controlViewHeight) const;
    void drawSmallSquareButtonInFrame(QPainter& painter, const QRectF& frame, double controlViewHeight) const;
    void drawTexturedRoundedButtonInFrame(QPainter& painter, const QRectF& frame, double controlViewHeight) const;
    void drawRoundRectButtonInFrame(QPainter& painter, const QRectF& frame, double controlViewHeight) const;
    void drawRecessedButtonInFrame(QPainter& painter, const QRectF& frame, double controlViewHeight);
    void drawCheckInFrame(QPainter& painter, const QRectF& frame, bool isRadio, double controlViewHeight) const;

  private:
    enum class Variant { normal, pushed, highlight, disabled };

    // Which variant of a bezel's fill the state asks for.
    Variant variant() const;
    // The value of the variant the state asks for.
    template <class T> T pick(T normal, T pushed, T highlight, T disabled) const {
        switch (variant()) {
        case Variant::pushed:
            return pushed;
        case Variant::highlight:
            return highlight;
        case Variant::disabled:
            return disabled;
        case Variant::normal:
            break;
        }
        return normal;
    }
    VTHUD::Gradient simpleGradient() const;
    // The alternate title and image replace the normal ones in this state.
    bool showsAlternate() const;
    bool isCheckType() const { return buttonType_ == switchButton || buttonType_ == radioButton; }
    void drawContent(QPainter& painter, const QRectF& titleRect, const QRectF& imageRect,
                     double controlViewHeight) const;
    // The outlined shapes: shadowed dark outline, gradient fill at 90
    // degrees across `bounds`, light outline.
    void drawOutlinedShape(QPainter& painter, const QPainterPath& path, const VTHUD::Gradient& fill,
                           const QRectF& bounds) const;

    int bezelStyle_ = 2;
    int buttonType_ = switchButton;
    int imagePosition_ = imageLeft;
    int showsStateBy_ = 0;
    int highlightsBy_ = 0;
    int state_ = offState;
    int controlSize_ = regularSize;
    QString title_;
    QString alternateTitle_;
    QPixmap image_;
    QPixmap alternateImage_;
    bool templateImage_ = false;
    bool enabled_ = true;
    bool highlighted_ = false;
    bool mouseIn_ = false;
    QFont font_;
};
