#include "Dotfield/Instrument/ImpedanceScan/ImpedanceScanFile.hpp"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "Dotfield/Instrument/HelperFunctions/CommaSeparatedFields.hpp"
#include "Dotfield/Platform/Files/TextFiles.hpp"

namespace Dotfield {

namespace {

constexpr std::string_view header = "Frequency, Impedance, Phase, Reactance, Resistance\n";
constexpr std::string_view lineEnd = ", 0.000000, 0.000000\n";

// A saved scan of a few hundred points is a few tens of kilobytes.
constexpr std::size_t maximumScanFileSize = 16 * 1024 * 1024;

// Fixed-point text with the given decimals, independent of the C library's locale.
void appendFixed(std::string& text, double value, int decimals) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec == std::errc()) {
        text.append(buffer, result.ptr);
    } else {
        text += '0';
    }
}

// The number at the start of the field after any leading blanks, or 0.
double leadingNumber(std::string_view field) {
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) {
        field.remove_prefix(1);
    }
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
    }
    double value = 0.0;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    return result.ec == std::errc() ? value : 0.0;
}

// The whole-hertz frequency at the start of a data line: a decimal integer
// with an optional sign, of any length. Written from a double, it may lie
// beyond the 64-bit integers (9223372036854775807 Hz is written as ...808),
// so it is read back as the double it was written from.
std::optional<double> wholeHertz(std::string_view field) {
    std::string_view digits = field;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    double value = 0.0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return field.front() == '-' ? -value : value;
}

} // namespace

void exportImpedanceScan(const std::vector<ImpedanceMeasurement>& scan, const std::filesystem::path& file) {
    std::string text(header);
    text.reserve(header.size() + scan.size() * 64);
    for (const auto& measurement : scan) {
        // Whole hertz, the fraction dropped.
        appendFixed(text, std::trunc(measurement.measurementSettings.frequency.value(Zovudidova::FrequencyUnit::hertz)),
                    0);
        text += ", ";
        appendFixed(text, measurement.magnitude, 6);
        text += " , ";
        appendFixed(text, measurement.phase, 6);
        text += lineEnd;
    }
    writeFileAtomically(file, text);
}

std::vector<ImpedanceMeasurement> loadImpedanceScanFile(const std::filesystem::path& file,
                                                        const std::vector<ImpedanceCalibrationValue>& delayTable) {
    const std::string text = readTextFile(file, maximumScanFileSize);
    std::vector<ImpedanceMeasurement> scan;
    forEachLine(text, [&](std::string_view line) {
        const auto fields = commaSeparatedFields(line);
        if (fields.size() < 2) {
            return;
        }
        const auto frequency = wholeHertz(fields[0]);
        if (!frequency) {
            return;
        }
        const std::size_t index = scan.size();
        const std::uint8_t delay = index < delayTable.size() ? delayTable[index].delay : 0;
        scan.push_back({leadingNumber(fields[1]), fields.size() > 2 ? leadingNumber(fields[2]) : 0.0,
                        {Zovudidova::hertz(*frequency), delay}});
    });
    return scan;
}

} // namespace Dotfield
