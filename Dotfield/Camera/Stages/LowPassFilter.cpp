#include "Dotfield/Camera/Stages/LowPassFilter.hpp"

#include <algorithm>
#include <cmath>

#include "Dotfield/Camera/Frames/ProcessorFeatures.hpp"

namespace Dotfield {

namespace {

// The weight of the previous output in 16-bit fixed point.
constexpr std::uint32_t one = 1U << 16;

// output = ((one - weight) x input + weight x before) / one, rounded. Sums stay
// within 32 bits, so the loop vectorises.
[[gnu::always_inline]] inline void blendLoop(const std::uint8_t* input, const std::uint8_t* before,
                                             std::uint8_t* output, std::size_t count, std::uint32_t weight) {
    for (std::size_t i = 0; i < count; ++i) {
        output[i] = static_cast<std::uint8_t>(
            (std::uint32_t{input[i]} * (one - weight) + std::uint32_t{before[i]} * weight + one / 2) >> 16);
    }
}

#if defined(__x86_64__)
// The same loop built for AVX2: eight 32-bit lanes at a time.
__attribute__((target("avx2"))) void blendAVX2(const std::uint8_t* input, const std::uint8_t* before,
                                               std::uint8_t* output, std::size_t count, std::uint32_t weight) {
    blendLoop(input, before, output, count, weight);
}
#endif

void blend(const std::uint8_t* input, const std::uint8_t* before, std::uint8_t* output, std::size_t count,
           std::uint32_t weight) {
#if defined(__x86_64__)
    if (processorHasAVX2()) {
        blendAVX2(input, before, output, count, weight);
        return;
    }
#endif
    blendLoop(input, before, output, count, weight);
}

} // namespace

void LowPassFilter::setStrength(double strength) {
    strength_.store(std::isfinite(strength) ? std::clamp(strength, 0.0, 1.0) : 0.0);
}

void LowPassFilter::newFrame(const IIDCFrame& frame) {
    const bool sameSize = previous_.bytes && frame.bytes && previous_.width == frame.width &&
                          previous_.height == frame.height &&
                          previous_.bytes->size() == frame.bytes->size();
    const auto weight = static_cast<std::uint32_t>(std::lround(strength_.load() * one));
    // Without a previous output of this size, or at strength 0, the blend
    // gives the input byte for byte: the frame itself goes on.
    if (!sameSize || weight == 0) {
        previous_ = frame;
        updateTargets(frame);
        return;
    }
    IIDCFrame filtered;
    filtered.width = frame.width;
    filtered.height = frame.height;
    filtered.time = frame.time;
    if (weight == one) {
        // At full strength the output holds the previous one.
        filtered.bytes = previous_.bytes;
    } else {
        auto bytes = buffers_.take(frame.bytes->size());
        blend(frame.bytes->data(), previous_.bytes->data(), bytes->data(), bytes->size(), weight);
        filtered.bytes = std::move(bytes);
    }
    previous_ = filtered;
    updateTargets(filtered);
}

} // namespace Dotfield
