#pragma once
// Number entry and read-outs of the device windows. Text is made and read
// without the user's locale, so "1.5" stays "1.5" whatever the desktop uses.

#include <functional>

#include <QLineEdit>
#include <QString>

namespace Dotfield {

// The value with one decimal ("%.1f"), then the suffix.
QString oneDecimal(double value, const QString& suffix = {});

// A field bound to one value: it shows the value in force and hands each
// entry to its setter when editing ends (Return, or focus leaving). An entry
// that is not a number, or that the setter refuses, is replaced by the value
// in force again.
class NumberField final : public QLineEdit {
    Q_OBJECT

  public:
    using Getter = std::function<double()>;
    // Answers false to refuse the value.
    using Setter = std::function<bool(double)>;

    NumberField(Getter getter, Setter setter, QWidget* parent = nullptr);

    // Shows the value in force (after a change made elsewhere).
    void showValueInForce();

  private:
    void commit();

    Getter getter_;
    Setter setter_;
};

} // namespace Dotfield
