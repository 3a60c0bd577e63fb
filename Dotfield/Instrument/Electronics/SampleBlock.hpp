#pragma once
// The sample block of the original electronics: the reply to 'q', and each of
// the five blocks of the status reading. The first half holds the reference
// channel (channel 1), the second half the dispenser channel (channel 2), each
// a run of unsigned 16-bit samples, high byte first. Each channel's amplitude
// is found by a least-squares fit of its sorted samples against the sorted
// values of one period of a sine; the magnitude is their ratio times 1000.

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "Dotfield/Instrument/Electronics/Impedance.hpp"

namespace Dotfield {

// Bytes of one block: 65 samples of 2 bytes for each of the two channels.
inline constexpr std::size_t impedanceSampleBlockSize = 260;
inline constexpr double impedanceSamplesPerChannel = 65.0;

// Splits a block at half its length: channel 1 from the first half, channel 2
// from the second. Only samples that lie wholly inside their half are taken,
// so a block of odd length (or with an odd half) never reads past its end.
std::pair<std::vector<std::uint16_t>, std::vector<std::uint16_t>>
impedanceSampleChannels(std::span<const std::uint8_t> bytes);

// The amplitude of a sine from its samples: the least-squares slope of the
// sorted samples against sin(pi/2 x ((k + phaseOffset) x 2/sampleCount - 1)).
// No samples, or samples that are all equal, give NaN or 0.
double sineAmplitude(std::span<const std::uint16_t> samples, double sampleCount, double phaseOffset);

// The impedance one block shows: magnitude = A2 x 1000 / A1, phase 0. A block
// without a usable reference (a flat channel 1, amplitude under one count) or
// whose magnitude is not a finite number is a garbled reply:
// CommunicationsError.corruptedResponse with the block as the bytes received.
Impedance impedanceFromSampleBlock(std::span<const std::uint8_t> bytes);

} // namespace Dotfield
