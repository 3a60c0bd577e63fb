#pragma once
// Loads the windows' layouts (.ui files). The heads-up-display controls a
// layout names (VTHUDButton, VTHUDSlider, VTHUDLabel) are made by their
// library, everything else by Qt's own loader; either way the properties the
// layout gives are set on the widget.

#include <QUiLoader>

namespace Dotfield {

class LayoutLoader : public QUiLoader {
    Q_OBJECT

  public:
    explicit LayoutLoader(QObject* parent = nullptr);

    QWidget* createWidget(const QString& className, QWidget* parent = nullptr, const QString& name = QString()) override;
};

} // namespace Dotfield
