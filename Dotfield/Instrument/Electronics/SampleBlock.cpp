#include "Dotfield/Instrument/Electronics/SampleBlock.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

constexpr double minimumReferenceAmplitude = 1.0;

std::vector<std::uint16_t> samplesOf(std::span<const std::uint8_t> half) {
    std::vector<std::uint16_t> samples;
    samples.reserve(half.size() / 2);
    for (std::size_t offset = 0; offset + 1 < half.size(); offset += 2) {
        samples.push_back(static_cast<std::uint16_t>((half[offset] << 8) | half[offset + 1]));
    }
    return samples;
}

} // namespace

std::pair<std::vector<std::uint16_t>, std::vector<std::uint16_t>>
impedanceSampleChannels(std::span<const std::uint8_t> bytes) {
    const std::size_t half = bytes.size() / 2;
    return {samplesOf(bytes.first(half)), samplesOf(bytes.subspan(half, half))};
}

double sineAmplitude(std::span<const std::uint16_t> samples, double sampleCount, double phaseOffset) {
    std::vector<std::uint16_t> sorted(samples.begin(), samples.end());
    std::sort(sorted.begin(), sorted.end());
    const double n = static_cast<double>(sorted.size());
    double sumY = 0.0;
    double sumS = 0.0;
    double sumYS = 0.0;
    double sumSS = 0.0;
    for (std::size_t k = 0; k < sorted.size(); ++k) {
        const double y = sorted[k];
        const double s = std::sin(std::numbers::pi / 2.0 *
                                  ((static_cast<double>(k) + phaseOffset) * 2.0 / sampleCount - 1.0));
        sumY += y;
        sumS += s;
        sumYS += y * s;
        sumSS += s * s;
    }
    return (n * sumYS - sumY * sumS) / (n * sumSS - sumS * sumS);
}

Impedance impedanceFromSampleBlock(std::span<const std::uint8_t> bytes) {
    const auto [reference, dispenser] = impedanceSampleChannels(bytes);
    const double referenceAmplitude = sineAmplitude(reference, impedanceSamplesPerChannel, 0.0);
    const double dispenserAmplitude = sineAmplitude(dispenser, impedanceSamplesPerChannel, 0.0);
    const double magnitude = dispenserAmplitude * 1000.0 / referenceAmplitude;
    // A reference under one count is no signal at all: a flat channel fits to
    // 0 give or take rounding, and dividing by that gives an infinite, NaN or
    // absurdly large magnitude that would read as a dispenser on the surface.
    if (!(referenceAmplitude >= minimumReferenceAmplitude) || !std::isfinite(magnitude)) {
        Diagnostics::printWithContext("Sample block without a usable reference amplitude");
        throw Diagnostics::logAndReturnError(CommunicationsError::corruptedResponse(
            {}, std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
    }
    return {magnitude, 0.0};
}

} // namespace Dotfield
