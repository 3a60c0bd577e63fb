#pragma once
// The rules by which the solution wells window turns what the operator typed
// or chose into a well's fields, and the well's fields into the texts it
// shows. Text is read without the user's locale.

#include <cstdint>
#include <string>
#include <string_view>

#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"

namespace Dotfield {

// Items of the location-kind pop-up.
enum class PlateTypeIndex : int { custom = 0, wells96 = 1, wells384 = 2 };
// Items of the reload-kind pop-up (not the order of the quantity's cases).
enum class ReloadKindIndex : int { unlimited = 0, distance = 1, spots = 2 };

// The text as a decimal number, blanks around it allowed; text that is not a
// finite number reads as 0.
double numberFromText(std::string_view text);
// A reload distance: the number, 0 when it is not greater than 0.
double reloadAmountFromText(std::string_view text);
// A spot count: the reload amount rounded to the nearest whole number, halves
// away from zero; a count beyond an unsigned 64-bit integer reads as 0, like
// text that is not a number.
std::uint64_t spotsFromText(std::string_view text);
// An unsigned decimal integer, blanks around it allowed; anything else
// (a sign, a fraction, a number beyond 64 bits) reads as 0.
std::uint64_t rinseCyclesFromText(std::string_view text);

// "10.0", "2.5": the standard description of a double.
std::string numberText(double value);

// A plate location from the row and column pop-ups' indices before a switch
// of the location kind. An index beyond the new plate takes its last row or
// letter; no selection (-1) takes the first.
SolutionLocation plateLocation(PlateTypeIndex kind, int rowIndex, int columnIndex);

// The pop-up index of a location's kind and of a reload quantity's kind.
PlateTypeIndex plateTypeIndex(const SolutionLocation& location);
ReloadKindIndex reloadKindIndex(const SolutionReloadQuantity& quantity);

} // namespace Dotfield
