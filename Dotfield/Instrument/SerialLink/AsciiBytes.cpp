#include "Dotfield/Instrument/SerialLink/AsciiBytes.hpp"

#include <algorithm>
#include <iterator>

namespace Dotfield {

std::vector<std::uint8_t> asciiBytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

bool isWellFormedUTF8(std::span<const std::uint8_t> bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        std::size_t length = 0;
        // The range the first continuation byte may take narrows for some
        // leads: that is where overlong forms and surrogates are excluded.
        std::uint8_t low = 0x80;
        std::uint8_t high = 0xBF;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (bytes.size() - i < length) {
            return false;
        }
        if (bytes[i + 1] < low || bytes[i + 1] > high) {
            return false;
        }
        for (std::size_t k = 2; k < length; ++k) {
            if (bytes[i + k] < 0x80 || bytes[i + k] > 0xBF) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::vector<std::uint8_t> sanitizedResponseBytes(std::span<const std::uint8_t> response) {
    constexpr std::uint8_t carriageReturn = 0x0D;
    std::vector<std::uint8_t> kept;
    kept.reserve(response.size());
    std::copy_if(response.begin(), response.end(), std::back_inserter(kept),
                 [](std::uint8_t byte) { return byte < 0x80 && byte != carriageReturn; });
    return kept;
}

} // namespace Dotfield
