#pragma once
// The dispenser's electrical state as the status check decides it.

#include <cstdint>

namespace Dotfield {

enum class DispenserConnectionStatus : std::uint8_t {
    // Readings agree with the reference statistics.
    connectedAndOffSurface,
    // Readings deviate moderately.
    connectedAndMiscalibrated,
    // Readings deviate strongly: the dispenser touches the surface.
    connectedAndOnSurface,
    // Every reading lies in the open-circuit band; also the answer when there
    // are no reference statistics.
    disconnected,
    // Every reading lies below 200.
    shortCircuit,
};

} // namespace Dotfield
