#include "Dotfield/Printing/SolutionWells/SolutionWellEditing.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "Dotfield/Printing/SolutionWells/MicrotiterPlates.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// 2^64: the first spot count that does not fit.
constexpr double spotCountLimit = 18446744073709551616.0;

template <typename Plate>
SolutionLocation plateWell(const MicrotiterPlate& plate, int rowIndex, int columnIndex) {
    const auto clampedIndex = [](int index, std::size_t count) {
        return std::clamp<std::size_t>(static_cast<std::size_t>(std::max(index, 0)), 0, count - 1);
    };
    const std::size_t row = clampedIndex(rowIndex, plate.rowLabels.size());
    const std::size_t column = clampedIndex(columnIndex, plate.columnLabels.size());
    return SolutionLocation(Plate{row + 1, plate.columnLabels[column]});
}

} // namespace

double numberFromText(std::string_view text) {
    const auto value = Zovudidova::parseDouble(trimmed(text));
    return value && std::isfinite(*value) ? *value : 0.0;
}

double reloadAmountFromText(std::string_view text) {
    const double value = numberFromText(text);
    return value > 0.0 ? value : 0.0;
}

std::uint64_t spotsFromText(std::string_view text) {
    const double rounded = std::round(reloadAmountFromText(text));
    return rounded < spotCountLimit ? static_cast<std::uint64_t>(rounded) : 0;
}

std::uint64_t rinseCyclesFromText(std::string_view text) {
    const std::string_view digits = trimmed(text);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return 0;
    }
    return value;
}

std::string numberText(double value) {
    return Zovudidova::formatDouble(value);
}

SolutionLocation plateLocation(PlateTypeIndex kind, int rowIndex, int columnIndex) {
    if (kind == PlateTypeIndex::wells384) {
        return plateWell<SolutionLocation::MicrotiterPlate384Well>(MicrotiterPlate::wells384(), rowIndex,
                                                                   columnIndex);
    }
    return plateWell<SolutionLocation::MicrotiterPlate96Well>(MicrotiterPlate::wells96(), rowIndex,
                                                              columnIndex);
}

PlateTypeIndex plateTypeIndex(const SolutionLocation& location) {
    switch (location.location().index()) {
    case 1:
        return PlateTypeIndex::wells96;
    case 2:
        return PlateTypeIndex::wells384;
    default:
        return PlateTypeIndex::custom;
    }
}

ReloadKindIndex reloadKindIndex(const SolutionReloadQuantity& quantity) {
    return std::visit(
        [](const auto& kind) {
            using T = std::decay_t<decltype(kind)>;
            if constexpr (std::is_same_v<T, SolutionReloadQuantity::Distance>) {
                return ReloadKindIndex::distance;
            } else if constexpr (std::is_same_v<T, SolutionReloadQuantity::Spots>) {
                return ReloadKindIndex::spots;
            } else {
                return ReloadKindIndex::unlimited;
            }
        },
        quantity.quantity());
}

} // namespace Dotfield
