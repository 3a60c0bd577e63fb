#include "Dotfield/Printing/Modes/UVCuring.hpp"

namespace Dotfield {

std::optional<UVCuringType> uvCuringTypeFromRawValue(std::int64_t rawValue) {
    if (rawValue < 0 || rawValue > static_cast<std::int64_t>(UVCuringType::afterPattern)) {
        return std::nullopt;
    }
    return static_cast<UVCuringType>(rawValue);
}

std::optional<UVCuringPatternMode> uvCuringPatternMode(std::optional<std::int64_t> selectedUVCuringType,
                                                       std::shared_ptr<Relay> relay,
                                                       const VeltranePatterns::Coordinate& offset,
                                                       double curingDuration) {
    if (!selectedUVCuringType || !relay) {
        return std::nullopt;
    }
    const std::optional<UVCuringType> type = uvCuringTypeFromRawValue(*selectedUVCuringType);
    if (!type) {
        return std::nullopt;
    }
    UVCuringPatternMode mode{UVCuringPatternMode::Kind::whilePrinting, std::move(relay), offset, curingDuration};
    switch (*type) {
    case UVCuringType::none:
        return std::nullopt;
    case UVCuringType::whilePrinting:
        mode.kind = UVCuringPatternMode::Kind::whilePrinting;
        break;
    case UVCuringType::afterEachSolution:
        mode.kind = UVCuringPatternMode::Kind::afterEachSolution;
        break;
    case UVCuringType::afterPattern:
        mode.kind = UVCuringPatternMode::Kind::afterPattern;
        break;
    }
    return mode;
}

} // namespace Dotfield
