#include "VeltranePatterns/Source/XML/XMLText.hpp"

#include <cstdint>

namespace VeltranePatterns {

namespace {

void appendUTF8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool allowedInXML(char32_t c) {
    if (c < 0x20) {
        return c == 0x09 || c == 0x0A || c == 0x0D;
    }
    return c != 0xFFFE && c != 0xFFFF;
}

// The code point of a well-formed UTF-8 sequence at the start of the text and
// its length, or a length of 0.
std::pair<char32_t, std::size_t> decodeUTF8(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        return {lead, 1};
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (text.size() < length) {
        return {0, 0};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return {0, 0};
        }
        c = (c << 6) | (byte(i) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return {0, 0};
    }
    return {c, length};
}

} // namespace

std::string xmlSafeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        auto [c, length] = decodeUTF8(text);
        if (length == 0) {
            c = static_cast<std::uint8_t>(text[0]);
            length = 1;
        }
        appendUTF8(out, allowedInXML(c) ? c : U'\uFFFD');
        text.remove_prefix(length);
    }
    return out;
}

} // namespace VeltranePatterns
