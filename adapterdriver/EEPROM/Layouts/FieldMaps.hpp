#pragma once
// Where a layout keeps its flags, pin groups and CBUS pin functions, named
// once per chip and used in both directions: a map made over a const record
// encodes, the same map made over a record or an AD_EEPROM_Read structure
// decodes. Encoders and decoders thus cannot disagree on a bit.

#include <array>
#include <cstddef>
#include <cstdint>

#include "adapterdriver/EEPROM/EepromImage.hpp"
#include "adapterdriver/EEPROM/PinGroup.hpp"

namespace adapterdriver {

// A 0/1 field and the bit that holds it. Byte is std::uint8_t for decoding,
// const std::uint8_t for encoding.
template <class Byte> struct FlagBit {
    Byte* field;
    unsigned bit;
};

template <class Byte> FlagBit<Byte> flagBit(Byte& field, unsigned bitNumber) {
    return {&field, bitNumber};
}

template <class Byte, std::size_t N> std::uint16_t packFlags(const std::array<FlagBit<Byte>, N>& flags) {
    unsigned value = 0;
    for (const auto& f : flags) {
        value |= flag(*f.field, f.bit);
    }
    return static_cast<std::uint16_t>(value);
}

template <std::size_t N> void unpackFlags(unsigned value, const std::array<FlagBit<std::uint8_t>, N>& flags) {
    for (const auto& f : flags) {
        *f.field = bit(value, f.bit);
    }
}

// The three fields of a pin group and the group's place (bits 4n to 4n+3).
template <class Byte> struct PinGroupFields {
    unsigned group;
    Byte* slowSlew;
    Byte* schmittInput;
    Byte* driveCurrent;
};

template <class Byte>
PinGroupFields<Byte> pinGroupFields(unsigned group, Byte& slowSlew, Byte& schmittInput, Byte& driveCurrent) {
    return {group, &slowSlew, &schmittInput, &driveCurrent};
}

template <class Byte, std::size_t N>
std::uint16_t packPinGroups(const std::array<PinGroupFields<Byte>, N>& groups) {
    unsigned value = 0;
    for (const auto& g : groups) {
        value |= static_cast<unsigned>(encodePinGroup({*g.slowSlew, *g.schmittInput, *g.driveCurrent}))
                 << (g.group * 4);
    }
    return static_cast<std::uint16_t>(value);
}

template <std::size_t N>
void unpackPinGroups(std::uint16_t word, const std::array<PinGroupFields<std::uint8_t>, N>& groups) {
    for (const auto& g : groups) {
        const auto group = decodePinGroup(pinGroupNibble(word, g.group));
        *g.slowSlew = group.slowSlew;
        *g.schmittInput = group.schmittInput;
        *g.driveCurrent = group.driveCurrent;
    }
}

// Four-bit fields two to a byte from firstByte: the even-numbered one in
// bits 0-3, the odd-numbered one in bits 4-7.
template <class Byte, std::size_t N>
void packNibbles(EepromImage& image, std::size_t firstByte, const std::array<Byte*, N>& fields) {
    static_assert(N % 2 == 0);
    for (std::size_t pair = 0; pair < N / 2; ++pair) {
        image.setByte(firstByte + pair, static_cast<std::uint8_t>((*fields[pair * 2] & 0xF) |
                                                                  ((*fields[pair * 2 + 1] & 0xF) << 4)));
    }
}

template <std::size_t N>
void unpackNibbles(const EepromImage& image, std::size_t firstByte,
                   const std::array<std::uint8_t*, N>& fields) {
    static_assert(N % 2 == 0);
    for (std::size_t pair = 0; pair < N / 2; ++pair) {
        const auto value = image.byte(firstByte + pair);
        *fields[pair * 2] = value & 0xF;
        *fields[pair * 2 + 1] = value >> 4;
    }
}

// Byte 11 of the 232R and X-series images: the eight line inversions. The
// record and both structures name them alike.
template <class Fields> auto lineInversionFlags(Fields& f) {
    return std::array{flagBit(f.InvertTXD, 0), flagBit(f.InvertRXD, 1), flagBit(f.InvertRTS, 2),
                      flagBit(f.InvertCTS, 3), flagBit(f.InvertDTR, 4), flagBit(f.InvertDSR, 5),
                      flagBit(f.InvertDCD, 6), flagBit(f.InvertRI, 7)};
}

// Word 0 of the 2232C and 2232H images as their AD_EEPROM_Read structures
// report it: the interface modes of channel A in the low byte, B in the high
// byte, and each channel's VCP bit as its driver type.
template <class Structure> auto dualChannelStructureModes(Structure& s) {
    return std::array{flagBit(s.AIsFifo, 0),     flagBit(s.AIsFifoTar, 1),  flagBit(s.AIsFastSer, 2),
                      flagBit(s.ADriverType, 3), flagBit(s.BIsFifo, 8),     flagBit(s.BIsFifoTar, 9),
                      flagBit(s.BIsFastSer, 10), flagBit(s.BDriverType, 11)};
}

} // namespace adapterdriver
