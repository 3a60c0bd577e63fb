#include "Dotfield/Application/ManualControls/StepSizes.hpp"

#include <cmath>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

double storedStepSize(const UserDefaults& userDefaults, const std::string& key, double defaultStep) {
    const std::optional<double> stored = userDefaults.doubleForKey(key);
    return stored ? acceptedStepSize(*stored).value_or(defaultStep) : defaultStep;
}

std::optional<double> acceptedStepSize(double value) {
    if (!std::isfinite(value) || value <= 0.0) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> acceptedStepSize(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    const std::optional<double> value = Zovudidova::parseDouble(text);
    return value ? acceptedStepSize(*value) : std::nullopt;
}

std::string stepSizeText(double step) {
    return Zovudidova::formatDouble(step);
}

} // namespace Dotfield
