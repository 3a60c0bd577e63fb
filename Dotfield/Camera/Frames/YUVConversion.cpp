#include "Dotfield/Camera/Frames/YUVConversion.hpp"

#include <algorithm>
#include <cstring>

#include "Dotfield/Camera/Frames/ProcessorFeatures.hpp"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Dotfield {

namespace {

// The matrix in 16.16 fixed point; integer lanes vectorise where floats
// would need a rounding call per channel.
constexpr std::int32_t fractionBits = 16;
constexpr std::int32_t half = 1 << (fractionBits - 1);
constexpr std::int32_t luma = 76284;      // 1.164
constexpr std::int32_t redFromV = 104595; // 1.596
constexpr std::int32_t greenFromU = 25690; // 0.392
constexpr std::int32_t greenFromV = 53281; // 0.813
constexpr std::int32_t blueFromU = 132186; // 2.017

inline std::uint32_t channel(std::int32_t fixed) {
    return static_cast<std::uint32_t>(std::clamp(fixed >> fractionBits, 0, 255));
}

inline void writePixel(std::uint8_t* out, std::int32_t y, std::int32_t red, std::int32_t green,
                       std::int32_t blue) {
    const std::int32_t scaled = luma * (y - 16) + half;
    const std::uint32_t pixel =
        0xFF000000U | (channel(scaled + red) << 16) | (channel(scaled + green) << 8) | channel(scaled + blue);
    std::memcpy(out, &pixel, 4);
}

// Pairs of pixels one at a time: any processor, and the ends of frames.
void convertPairs(const std::uint8_t* yuv, std::uint8_t* rgb32, std::size_t pairs) {
    for (std::size_t i = 0; i < pairs; ++i) {
        const std::uint8_t* in = yuv + i * 4;
        std::uint8_t* out = rgb32 + i * 8;
        const std::int32_t u = static_cast<std::int32_t>(in[0]) - 128;
        const std::int32_t v = static_cast<std::int32_t>(in[2]) - 128;
        const std::int32_t red = redFromV * v;
        const std::int32_t green = -greenFromU * u - greenFromV * v;
        const std::int32_t blue = blueFromU * u;
        writePixel(out, in[1], red, green, blue);
        writePixel(out + 4, in[3], red, green, blue);
    }
}

#if defined(__x86_64__)
// Eight pixels at a time in 32-bit lanes: the same fixed-point sums as
// writePixel, so every byte equals the pair-by-pair result.
__attribute__((target("avx2"))) void convertPairsAVX2(const std::uint8_t* yuv, std::uint8_t* rgb32,
                                                      std::size_t pairs) {
    // From 16 bytes U Y0 V Y1 (four pairs): the eight Ys, the four Us and Vs
    // each twice, in the low eight bytes.
    const __m128i lumaBytes = _mm_setr_epi8(1, 3, 5, 7, 9, 11, 13, 15, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i uBytes = _mm_setr_epi8(0, 0, 4, 4, 8, 8, 12, 12, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i vBytes = _mm_setr_epi8(2, 2, 6, 6, 10, 10, 14, 14, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m256i sixteen = _mm256_set1_epi32(16);
    const __m256i centre = _mm256_set1_epi32(128);
    const __m256i lumaScale = _mm256_set1_epi32(luma);
    const __m256i rounding = _mm256_set1_epi32(half);
    const __m256i redV = _mm256_set1_epi32(redFromV);
    const __m256i greenU = _mm256_set1_epi32(greenFromU);
    const __m256i greenV = _mm256_set1_epi32(greenFromV);
    const __m256i blueU = _mm256_set1_epi32(blueFromU);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i full = _mm256_set1_epi32(255);
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000U));
    const auto channel8 = [zero, full](__m256i fixed) __attribute__((target("avx2"))) {
        return _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(fixed, fractionBits), zero), full);
    };
    const std::size_t blocks = pairs / 4;
    for (std::size_t b = 0; b < blocks; ++b) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(yuv + b * 16));
        const __m256i y = _mm256_cvtepu8_epi32(_mm_shuffle_epi8(in, lumaBytes));
        const __m256i u = _mm256_sub_epi32(_mm256_cvtepu8_epi32(_mm_shuffle_epi8(in, uBytes)), centre);
        const __m256i v = _mm256_sub_epi32(_mm256_cvtepu8_epi32(_mm_shuffle_epi8(in, vBytes)), centre);
        const __m256i scaled =
            _mm256_add_epi32(_mm256_mullo_epi32(lumaScale, _mm256_sub_epi32(y, sixteen)), rounding);
        const __m256i red = _mm256_add_epi32(scaled, _mm256_mullo_epi32(redV, v));
        const __m256i green = _mm256_sub_epi32(
            _mm256_sub_epi32(scaled, _mm256_mullo_epi32(greenU, u)), _mm256_mullo_epi32(greenV, v));
        const __m256i blue = _mm256_add_epi32(scaled, _mm256_mullo_epi32(blueU, u));
        const __m256i pixels = _mm256_or_si256(
            _mm256_or_si256(_mm256_slli_epi32(channel8(red), 16), _mm256_slli_epi32(channel8(green), 8)),
            _mm256_or_si256(channel8(blue), alpha));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(rgb32 + b * 32), pixels);
    }
    convertPairs(yuv + blocks * 16, rgb32 + blocks * 32, pairs - blocks * 4);
}
#endif

} // namespace

void convertYUV422ToRGB32(const std::uint8_t* yuv, std::uint8_t* rgb32, std::size_t pixelCount) {
    const std::size_t pairs = pixelCount / 2;
#if defined(__x86_64__)
    if (processorHasAVX2()) {
        convertPairsAVX2(yuv, rgb32, pairs);
    } else {
        convertPairs(yuv, rgb32, pairs);
    }
#else
    convertPairs(yuv, rgb32, pairs);
#endif
    if (pixelCount % 2 != 0) {
        const std::uint8_t* in = yuv + pairs * 4;
        const std::int32_t u = static_cast<std::int32_t>(in[0]) - 128;
        writePixel(rgb32 + pairs * 8, in[1], 0, -greenFromU * u, blueFromU * u);
    }
}

bool expandYUV411ToYUV422(const std::uint8_t* source, std::size_t sourceBytes, std::uint8_t* destination,
                          std::size_t destinationBytes, std::size_t pixelCount) {
    if (sourceBytes < yuv411Bytes(pixelCount) || destinationBytes < pixelCount * 2) {
        return false;
    }
    const std::size_t groups = pixelCount / 4;
    for (std::size_t g = 0; g < groups; ++g) {
        const std::uint8_t* in = source + g * 6;
        std::uint8_t* out = destination + g * 8;
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[3];
        out[3] = in[2];
        out[4] = in[0];
        out[5] = in[4];
        out[6] = in[3];
        out[7] = in[5];
    }
    return true;
}

} // namespace Dotfield
