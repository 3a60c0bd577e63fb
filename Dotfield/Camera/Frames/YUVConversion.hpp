#pragma once
// The processor's colour path for camera frames: YUV 4:2:2 (U, Y0, V, Y1) to
// 32-bit 0xffRRGGBB pixels with the BT.601 limited-range matrix, and YUV 4:1:1
// expanded to YUV 4:2:2. Loops over whole pixel pairs; eight pixels at a time
// on processors with AVX2.

#include <cstddef>
#include <cstdint>

namespace Dotfield {

// Converts pixelCount pixels of packed YUV 4:2:2 (2 bytes a pixel, chroma
// shared by each pair) to one 32-bit word a pixel, 0xffRRGGBB in the
// machine's byte order (what IIDCFrame holds):
//   R = 1.164(Y - 16) + 1.596(V - 128)
//   G = 1.164(Y - 16) - 0.392(U - 128) - 0.813(V - 128)
//   B = 1.164(Y - 16) + 2.017(U - 128)
// rounded and clamped to 0..255. A lone last pixel has no V of its own and takes neutral V.
void convertYUV422ToRGB32(const std::uint8_t* yuv, std::uint8_t* rgb32, std::size_t pixelCount);

// Bytes of YUV 4:1:1 a frame of pixelCount pixels takes (3n/2).
constexpr std::size_t yuv411Bytes(std::size_t pixelCount) { return pixelCount * 3 / 2; }

// Expands YUV 4:1:1 (U, Y0, Y1, V, Y2, Y3 for four pixels) into YUV 4:2:2
// (U, Y0, V, Y1, U, Y2, V, Y3), each chroma pair used twice. Only whole groups
// of four pixels are written. False, with nothing written, when the source
// holds fewer than 3n/2 bytes or the destination fewer than 2n.
bool expandYUV411ToYUV422(const std::uint8_t* source, std::size_t sourceBytes, std::uint8_t* destination,
                          std::size_t destinationBytes, std::size_t pixelCount);

} // namespace Dotfield
