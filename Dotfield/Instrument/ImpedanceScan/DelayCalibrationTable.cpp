#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTable.hpp"

#include <optional>
#include <string>

#include "Dotfield/Instrument/HelperFunctions/CommaSeparatedFields.hpp"
#include "Dotfield/Instrument/ImpedanceScan/BundledDelayCalibrationTable.hpp"
#include "Dotfield/Instrument/ImpedanceScan/DelayCalibrationTableError.hpp"
#include "Dotfield/Platform/Files/TextFiles.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

namespace {

// A table of a few thousand points is a few tens of kilobytes.
constexpr std::size_t maximumTableFileSize = 4 * 1024 * 1024;

// A field's integer, blanks around it allowed.
std::optional<long long> integerField(std::string_view field) {
    const auto first = field.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const auto last = field.find_last_not_of(" \t");
    return Zovudidova::parseInteger(field.substr(first, last - first + 1));
}

std::optional<ImpedanceCalibrationValue> tablePoint(std::string_view line) {
    const auto fields = commaSeparatedFields(line);
    if (fields.size() < 3) {
        return std::nullopt;
    }
    const auto base = integerField(fields[0]);
    const auto delay = integerField(fields[1]);
    const auto offset = integerField(fields[2]);
    if (!base || !delay || !offset || *delay < 0 || *delay > 255) {
        return std::nullopt;
    }
    // Added as doubles: two huge integers cannot overflow.
    const double frequency = static_cast<double>(*base) + static_cast<double>(*offset);
    if (!(frequency > 0.0)) {
        return std::nullopt;
    }
    return ImpedanceCalibrationValue{Zovudidova::hertz(frequency), static_cast<std::uint8_t>(*delay)};
}

} // namespace

std::vector<ImpedanceCalibrationValue> delayCalibrationTable(std::string_view text) {
    std::vector<ImpedanceCalibrationValue> table;
    forEachLine(text, [&](std::string_view line) {
        if (const auto point = tablePoint(line)) {
            table.push_back(*point);
        }
    });
    return table;
}

std::vector<ImpedanceCalibrationValue> loadDelayCalibrationTable(const std::filesystem::path& file) {
    std::string text;
    try {
        text = readTextFile(file, maximumTableFileSize);
    } catch (const std::filesystem::filesystem_error& error) {
        throw Diagnostics::logAndReturnError(DelayCalibrationTableError(file, error.code().message()));
    }
    auto table = delayCalibrationTable(text);
    if (table.empty()) {
        throw Diagnostics::logAndReturnError(DelayCalibrationTableError(file, "no line of it is a scan point"));
    }
    return table;
}

std::vector<ImpedanceCalibrationValue> bundledDelayCalibrationTable() {
    return delayCalibrationTable(bundledDelayCalibrationText());
}

} // namespace Dotfield
