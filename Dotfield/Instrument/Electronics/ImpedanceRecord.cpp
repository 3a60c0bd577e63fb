#include "Dotfield/Instrument/Electronics/ImpedanceRecord.hpp"

#include <cmath>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

std::int32_t signed24(std::span<const std::uint8_t> bytes) {
    const std::uint32_t raw = (std::uint32_t{bytes[0]} << 16) | (std::uint32_t{bytes[1]} << 8) | bytes[2];
    // Sign-extend bit 23.
    return static_cast<std::int32_t>(raw ^ 0x800000u) - 0x800000;
}

void requireSize(std::span<const std::uint8_t> bytes, std::size_t expected) {
    if (bytes.size() != expected) {
        throw Diagnostics::logAndReturnError(
            CommunicationsError::wrongByteCount(expected, bytes.size()));
    }
}

} // namespace

Impedance decodeImpedanceRecord(std::span<const std::uint8_t> record) {
    requireSize(record, impedanceRecordSize);
    const double a = signed24(record.first(3));
    const double b = signed24(record.subspan(3, 3));
    const double magnitude = std::sqrt(a * a / 1000000.0 + b * b / 1000000.0);
    const double phase = a != 0.0 ? std::atan(b / a) : 0.0;
    return {magnitude, phase};
}

std::array<Impedance, impedanceStatusPointCount> decodeImpedanceReplyPV(std::span<const std::uint8_t> reply) {
    requireSize(reply, impedanceStatusReplySizePV);
    std::array<Impedance, impedanceStatusPointCount> impedances;
    for (std::size_t i = 0; i < impedanceStatusPointCount; ++i) {
        impedances[i] = decodeImpedanceRecord(reply.subspan(i * impedanceRecordSize, impedanceRecordSize));
    }
    return impedances;
}

} // namespace Dotfield
