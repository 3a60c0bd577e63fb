#pragma once
// A heads-up-display button: push button, switch (check box) or radio button
// by its button type, painted by its VTHUDButtonCell. Every property of the
// button model can be set from a window layout. A button with nothing set is
// a switch without a bezel: a check box.

#include <QAbstractButton>
#include <QPixmap>

#include "VTHUDFramework/Button/VTHUDButtonCell.hpp"

class VTHUDButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(int bezelStyle READ bezelStyle WRITE setBezelStyle)
    Q_PROPERTY(int buttonType READ buttonType WRITE setButtonType)
    // The stored form of the button type.
    Q_PROPERTY(int QXButtonType READ buttonType WRITE setButtonType DESIGNABLE false)
    Q_PROPERTY(int inspectedType READ inspectedType WRITE setInspectedType)
    Q_PROPERTY(int imagePosition READ imagePosition WRITE setImagePosition)
    Q_PROPERTY(int showsStateBy READ showsStateBy WRITE setShowsStateBy)
    Q_PROPERTY(int highlightsBy READ highlightsBy WRITE setHighlightsBy)
    Q_PROPERTY(int state READ state WRITE setState NOTIFY stateChanged)
    Q_PROPERTY(int controlSize READ controlSize WRITE setControlSize)
    Q_PROPERTY(QString title READ text WRITE setTitle)
    Q_PROPERTY(QString alternateTitle READ alternateTitle WRITE setAlternateTitle)
    Q_PROPERTY(QPixmap image READ image WRITE setImage)
    Q_PROPERTY(QPixmap alternateImage READ alternateImage WRITE setAlternateImage)
    Q_PROPERTY(bool templateImage READ isTemplateImage WRITE setTemplateImage)

  public:
    explicit VTHUDButton(QWidget* parent = nullptr);

    int bezelStyle() const { return cell_.bezelStyle(); }
    void setBezelStyle(int style);
    int buttonType() const { return cell_.buttonType(); }
    void setButtonType(int type);
    int inspectedType() const { return inspectedType_; }
    void setInspectedType(int inspectedType);
    int imagePosition() const { return cell_.imagePosition(); }
    void setImagePosition(int position);
    int showsStateBy() const { return cell_.showsStateBy(); }
    void setShowsStateBy(int mask);
    int highlightsBy() const { return cell_.highlightsBy(); }
    void setHighlightsBy(int mask);
    int state() const { return cell_.state(); }
    void setState(int state);
    int controlSize() const { return cell_.controlSize(); }
    void setControlSize(int size);
    // The title is the button's text.
    void setTitle(const QString& title) { setText(title); }
    QString alternateTitle() const { return cell_.alternateTitle(); }
    void setAlternateTitle(const QString& title);
    QPixmap image() const { return cell_.image(); }
    void setImage(const QPixmap& image);
    QPixmap alternateImage() const { return cell_.alternateImage(); }
    void setAlternateImage(const QPixmap& image);
    bool isTemplateImage() const { return cell_.isTemplateImage(); }
    void setTemplateImage(bool isTemplate);

    bool isMouseIn() const { return cell_.isMouseIn(); }
    const VTHUDButtonCell& cell() const { return cell_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void stateChanged(int state);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // A click: a switch or a push-on-push-off type turns on or off (mixed
    // turns on), a radio button turns on and its sibling radio buttons off.
    void nextCheckState() override;

  private:
    // The cell with the widget's text, font, enabled and pressed state.
    void synchroniseCell() const;
    void modelChanged();

    mutable VTHUDButtonCell cell_;
    int inspectedType_ = 0;
};
