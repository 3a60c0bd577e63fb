#include "adapterdriver/EEPROM/PinGroup.hpp"

namespace adapterdriver {

std::uint8_t driveCurrentCode(std::uint8_t milliamperes) {
    switch (milliamperes) {
    case 8:
        return 1;
    case 12:
        return 2;
    case 16:
        return 3;
    default:
        return 0;
    }
}

std::uint8_t driveCurrentFromCode(unsigned code) {
    return static_cast<std::uint8_t>(4 * ((code & 3u) + 1));
}

std::uint16_t encodePinGroup(const PinGroup& group) {
    return static_cast<std::uint16_t>(driveCurrentCode(group.driveCurrent) | flag(group.slowSlew, 2) |
                                      flag(group.schmittInput, 3));
}

PinGroup decodePinGroup(unsigned nibble) {
    return {bit(nibble, 2), bit(nibble, 3), driveCurrentFromCode(nibble & 3u)};
}

} // namespace adapterdriver
