#pragma once
// The status commands of the original electronics. Set-up ('S', 26 bytes):
// for each of the five points in order, the 4-byte frequency register (the
// original design's clock, most significant byte first) and the delay byte (1
// for a delay of 0); the electronics echo 'S'. Reading ('s'): 1300 bytes, one
// 260-byte sample block per point in point order.

#include <cstddef>
#include <cstdint>
#include <span>

#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"

namespace Dotfield {

inline constexpr std::size_t impedanceStatusReplySize = 1300;

// Programs the five points. A wrong echo is ElectronicsError
// unrecoverableCommunicationNoise; a failed exchange is converted into an
// ElectronicsError (noise for garbled or short replies, electronicsDisconnected
// for failed driver calls and time-outs). No retry.
void initializeImpedanceStatusCheck(const DispenserStatusPoints& points, SerialPort& serialPort);

// The five impedances of a status reply, in point order. A reply of another
// length is CommunicationsError.wrongByteCount; a block without a usable
// reference is CommunicationsError.corruptedResponse.
DispenserStatusReading decodeImpedanceStatusReply(std::span<const std::uint8_t> reply);

} // namespace Dotfield
