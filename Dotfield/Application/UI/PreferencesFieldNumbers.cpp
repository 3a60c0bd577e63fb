#include "Dotfield/Application/UI/PreferencesFieldNumbers.hpp"

#include <cmath>

#include <QLineEdit>

#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

std::optional<double> finiteNumber(const QLineEdit& field) {
    const std::optional<double> value = Zovudidova::parseDouble(field.text().toStdString());
    if (!value || !std::isfinite(*value)) {
        return std::nullopt;
    }
    return value;
}

QString wholeNumber(double value) {
    const double rounded = std::round(value);
    return QString::fromStdString(Zovudidova::formatFixed(rounded == 0.0 ? 0.0 : rounded, 0));
}

} // namespace Dotfield
