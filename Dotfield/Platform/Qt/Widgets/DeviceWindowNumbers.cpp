#include "Dotfield/Platform/Qt/Widgets/DeviceWindowNumbers.hpp"

#include <array>
#include <charconv>
#include <utility>

#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

QString oneDecimal(double value, const QString& suffix) {
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 1);
    return QString::fromLatin1(buffer.data(), static_cast<qsizetype>(result.ptr - buffer.data())) + suffix;
}

NumberField::NumberField(Getter getter, Setter setter, QWidget* parent)
    : QLineEdit(parent), getter_(std::move(getter)), setter_(std::move(setter)) {
    showValueInForce();
    connect(this, &QLineEdit::editingFinished, this, &NumberField::commit);
}

void NumberField::showValueInForce() {
    setText(QString::fromStdString(Zovudidova::formatDouble(getter_())));
}

void NumberField::commit() {
    if (const auto value = Zovudidova::parseDouble(text().trimmed().toStdString())) {
        setter_(*value);
    }
    showValueInForce();
}

} // namespace Dotfield
