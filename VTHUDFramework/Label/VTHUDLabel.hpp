#pragma once
// A heads-up-display label: static white text without frame, not editable or
// selectable; a disabled label draws its text white at the disabled alpha.

#include <QLabel>

class VTHUDLabel : public QLabel {
    Q_OBJECT

  public:
    explicit VTHUDLabel(QWidget* parent = nullptr);
    explicit VTHUDLabel(const QString& text, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void applyTextColors();
};
