#pragma once
// When a print cures its material with the UV source: the operator's choice as
// the relay controls window stores it (UVCuringType, under
// "selectedUVCuringType"), and the curing the printing engine is handed
// (UVCuringPatternMode): the relay, the displacement of the curing pass (µm)
// and the curing duration (seconds).
//
//   whilePrinting      after each item: the item again at the offset, relay closed
//   afterEachSolution  after each printed layer: the layer retraced at the offset
//   afterPattern       once at the end: every layer retraced at the offset

#include <cstdint>
#include <memory>
#include <optional>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Relay;

enum class UVCuringType : std::int64_t { none = 0, whilePrinting = 1, afterEachSolution = 2, afterPattern = 3 };

// The type of a stored raw value; nothing for a value outside 0 to 3.
std::optional<UVCuringType> uvCuringTypeFromRawValue(std::int64_t rawValue);

struct UVCuringPatternMode {
    enum class Kind { whilePrinting, afterEachSolution, afterPattern };

    Kind kind = Kind::whilePrinting;
    std::shared_ptr<Relay> relay;
    VeltranePatterns::Coordinate offset;
    double duration = 0.0; // seconds
};

// The curing the engine is handed for the operator's choice: nothing for
// none, for a stored value outside 0 to 3 or without a relay; otherwise the
// case of the same name with the relay, the offsets and the duration.
std::optional<UVCuringPatternMode> uvCuringPatternMode(std::optional<std::int64_t> selectedUVCuringType,
                                                       std::shared_ptr<Relay> relay,
                                                       const VeltranePatterns::Coordinate& offset,
                                                       double curingDuration);

} // namespace Dotfield
