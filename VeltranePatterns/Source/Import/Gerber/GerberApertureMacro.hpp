#pragma once
// Aperture macros (%AM): named templates of primitives whose numbers are
// expressions over the parameters of the aperture definitions that use them.
// A definition evaluates its macro once into filled discs and outlines.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "VeltranePatterns/Source/Import/Gerber/GerberApertureTemplate.hpp"

namespace VeltranePatterns {

struct GerberApertureMacro {
    std::string name;
    // The blocks of the macro's body, without their "*": primitives, comments
    // (code 0) and variable definitions ("$4=$1x0.75").
    std::vector<std::string> blocks;
};

// The value of an arithmetic expression of a macro: decimal numbers, variables
// $1, $2, ... (an undefined one is 0), unary + and -, "x" (or "X") and "/",
// binary + and -, and parentheses. Nothing when the text is no such expression.
std::optional<double> evaluateMacroExpression(std::string_view text, const std::vector<double>& variables);

// The macro evaluated with the definition's parameters: circles (1), vector
// lines (20, and the older 2), centre lines (21), outlines (4) and polygons (5),
// each turned by its rotation about the macro's origin. Primitives with exposure
// off are left out. A primitive of another kind or one whose numbers do not
// evaluate makes the whole macro fail, with the reason kept.
GerberApertureTemplate::MacroShapes evaluateApertureMacro(const GerberApertureMacro& macro,
                                                    std::span<const double> parameters);

} // namespace VeltranePatterns
