#include "Dotfield/Platform/Qt/LayoutLoader.hpp"

#include <QWidget>

#include "VTHUDFramework/VTHUDWidgets.hpp"

namespace Dotfield {

LayoutLoader::LayoutLoader(QObject* parent) : QUiLoader(parent) {}

QWidget* LayoutLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
    if (QWidget* control = VTHUD::createWidget(className, parent)) {
        control->setObjectName(name);
        return control;
    }
    return QUiLoader::createWidget(className, parent, name);
}

} // namespace Dotfield
