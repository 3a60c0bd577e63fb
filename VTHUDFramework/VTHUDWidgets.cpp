#include "VTHUDFramework/VTHUDWidgets.hpp"

#include "VTHUDFramework/Button/VTHUDButton.hpp"
#include "VTHUDFramework/Label/VTHUDLabel.hpp"
#include "VTHUDFramework/Slider/VTHUDSlider.hpp"

namespace VTHUD {

QStringList widgetClassNames() { return {"VTHUDButton", "VTHUDSlider", "VTHUDLabel"}; }

QWidget* createWidget(const QString& className, QWidget* parent) {
    if (className == QLatin1String("VTHUDButton")) {
        return new VTHUDButton(parent);
    }
    if (className == QLatin1String("VTHUDSlider")) {
        return new VTHUDSlider(parent);
    }
    if (className == QLatin1String("VTHUDLabel")) {
        return new VTHUDLabel(parent);
    }
    return nullptr;
}

} // namespace VTHUD
