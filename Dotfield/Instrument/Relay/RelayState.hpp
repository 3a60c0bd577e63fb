#pragma once
// The relay's output, with its value on the wire.

#include <cstdint>

namespace Dotfield {

enum class RelayState : std::uint8_t {
    open = 0,   // output off
    closed = 1, // output on
};

} // namespace Dotfield
