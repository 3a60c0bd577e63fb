#pragma once
// How the preferences window reads numbers from its fields and shows them:
// without the user's locale, the whole text or nothing.

#include <optional>

#include <QString>

class QLineEdit;

namespace Dotfield {

// The field's whole text as a finite number; nothing for anything else
// (blanks around it, "abc", "", "nan", "inf").
std::optional<double> finiteNumber(const QLineEdit& field);

// The value rounded to a whole number (halves away from zero), without
// grouping: "1000", "-250".
QString wholeNumber(double value);

} // namespace Dotfield
