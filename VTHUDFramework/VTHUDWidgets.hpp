#pragma once
// Creation of the heads-up-display controls by class name, for the loaders of
// window layouts.

#include <QString>
#include <QStringList>

class QWidget;

namespace VTHUD {

// The class names createWidget answers.
QStringList widgetClassNames();

// A new control of the named class ("VTHUDButton", "VTHUDSlider" or
// "VTHUDLabel") owned by `parent`; nullptr for any other name.
QWidget* createWidget(const QString& className, QWidget* parent);

} // namespace VTHUD
