#pragma once
// The two jog step sizes of the manual controls: their settings keys and
// defaults, and which entries the operator may give them.

#include <optional>
#include <string>
#include <string_view>

namespace Dotfield {

class UserDefaults;

inline constexpr const char* smallStepSizeKey = "smallStepSize";
inline constexpr const char* largeStepSizeKey = "largeStepSize";
inline constexpr double defaultSmallStepSize = 100.0;  // µm
inline constexpr double defaultLargeStepSize = 1000.0; // µm

// A stored step that is missing, or that could never have been entered (not
// a positive finite number), gives the default.
double storedStepSize(const UserDefaults& userDefaults, const std::string& key, double defaultStep);

// The step an entry gives: a positive finite number, blanks around it allowed,
// read without the user's locale. Anything else (cleared, zero, negative,
// not a number) gives nothing, and the step keeps its value.
std::optional<double> acceptedStepSize(std::string_view text);
std::optional<double> acceptedStepSize(double value);

// The text a step field shows ("100.0").
std::string stepSizeText(double step);

} // namespace Dotfield
