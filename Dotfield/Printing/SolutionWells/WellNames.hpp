#pragma once
// How well names are compared. Other wells, the record of the solution in the
// dispenser and pattern layers refer to a well by its name; two names that are
// canonically equivalent Unicode text (a precomposed "é" and an "e" followed
// by a combining acute accent) name the same well. Case matters.

#include <string_view>

namespace Dotfield {

bool wellNamesEqual(std::string_view a, std::string_view b);

} // namespace Dotfield
