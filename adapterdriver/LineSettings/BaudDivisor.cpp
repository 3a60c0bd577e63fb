#include "adapterdriver/LineSettings/BaudDivisor.hpp"

#include <array>

namespace adapterdriver {

namespace {

constexpr std::uint64_t threeMegahertz = 3'000'000;
constexpr std::uint64_t twelveMegahertz = 12'000'000;
constexpr std::uint16_t maximumDivisor = 16383;

constexpr std::uint8_t extraFractionBit = 0x01;
constexpr std::uint8_t twelveMegahertzBit = 0x02;

// Sub-integer codes: 1/2, 1/4, 1/8 of the divisor.
constexpr std::uint16_t codeHalf = 0x4000;
constexpr std::uint16_t codeQuarter = 0x8000;
constexpr std::uint16_t codeEighth = 0xC000;

struct Search {
    std::uint16_t value = 0;
    std::uint8_t extraBits = 0;
};

// Standard rates keep the divisors the chips have always been programmed with.
std::optional<std::uint16_t> fixedValue(std::uint32_t rate) {
    struct Entry {
        std::uint32_t rate;
        std::uint16_t value;
    };
    static constexpr std::array<Entry, 13> table{{
        {300, 0x2710},
        {600, 0x1388},
        {1200, 0x09C4},
        {2400, 0x04E2},
        {4800, 0x0271},
        {9600, 0x4138},
        {19200, 0x809C},
        {38400, 0xC04E},
        {57600, 0x0034},
        {115200, 0x001A},
        {230400, 0x000D},
        {460800, 0x4006},
        {921600, 0x8003},
    }};
    for (const auto& entry : table) {
        if (entry.rate == rate) {
            return entry.value;
        }
    }
    return std::nullopt;
}

// Addend in hundredths of the divisor for a sub-integer code.
std::uint64_t fractionHundredths(std::uint16_t code, bool extra) {
    switch (code) {
    case codeHalf:
        return extra ? 62 : 50;
    case codeQuarter:
        return extra ? 75 : 25;
    case codeEighth:
        return extra ? 87 : 12;
    default:
        return extra ? 37 : 0;
    }
}

std::uint64_t achievedRate(const Search& search, std::uint64_t base, bool bmOrLater) {
    if (search.value == 0) {
        return base;
    }
    if (base == twelveMegahertz && search.value == 1) {
        return 8'000'000;
    }
    const std::uint64_t whole = static_cast<std::uint64_t>(search.value & 0x3FFF) * 100;
    const bool extra = bmOrLater && (search.extraBits & extraFractionBit) != 0;
    const std::uint64_t addend = fractionHundredths(static_cast<std::uint16_t>(search.value & 0xC000), extra);
    return base * 100 / (whole + addend);
}

bool withinTolerance(std::uint64_t rate, std::uint64_t achieved) {
    if (achieved == 0) {
        return false;
    }
    std::uint64_t percent = 0;
    std::uint64_t remainder = 0;
    if (rate <= achieved) {
        percent = achieved * 100 / rate - 100;
        remainder = ((achieved % rate) * 100) % rate;
    } else {
        percent = rate * 100 / achieved - 100;
        remainder = ((rate % achieved) * 100) % achieved;
    }
    return percent < 3 || (percent == 3 && remainder == 0);
}

std::optional<Search> search(std::uint32_t rate, std::uint64_t base, bool bmOrLater) {
    const bool twelve = base == twelveMegahertz;
    Search result;
    if (twelve) {
        result.extraBits = twelveMegahertzBit;
        if (rate >= 11'640'000 && rate <= 12'360'000) {
            result.value = 0;
            return result;
        }
        if (rate >= 7'760'000 && rate <= 8'240'000) {
            result.value = 1;
            return result;
        }
    }
    if (rate == 0) {
        return std::nullopt;
    }
    std::uint64_t divisor = base / rate;
    const std::uint64_t hundredths = ((base % rate) * 100) / rate;
    if (divisor > maximumDivisor) {
        return std::nullopt;
    }
    if (divisor == 1 && hundredths < 4) {
        divisor = 0;
    }
    std::uint16_t code = 0;
    bool extra = false;
    if (divisor != 0) {
        if (bmOrLater) {
            if (hundredths < 7) {
            } else if (hundredths < 19) {
                code = codeEighth;
            } else if (hundredths < 32) {
                code = codeQuarter;
            } else if (hundredths < 44) {
                extra = true;
            } else if (hundredths < 57) {
                code = codeHalf;
            } else if (hundredths < 69) {
                code = codeHalf;
                extra = true;
            } else if (hundredths < 82) {
                code = codeQuarter;
                extra = true;
            } else if (hundredths < 94) {
                code = codeEighth;
                extra = true;
            } else {
                ++divisor;
            }
        } else {
            if (hundredths < 7) {
            } else if (hundredths < 19) {
                code = codeEighth;
            } else if (hundredths < 38) {
                code = codeQuarter;
            } else if (hundredths < 76) {
                code = codeHalf;
            } else {
                ++divisor;
            }
        }
    }
    result.value = static_cast<std::uint16_t>(divisor | code);
    if (extra) {
        result.extraBits |= extraFractionBit;
    }
    return result;
}

} // namespace

std::optional<BaudDivisor> baudDivisorFor(std::uint32_t rate, const BaudChip& chip) {
    Search found;
    if (const auto fixed = fixedValue(rate)) {
        found.value = *fixed;
    } else {
        const bool twelve = chip.twelveMegahertzClock && rate >= 1200;
        const std::uint64_t base = twelve ? twelveMegahertz : threeMegahertz;
        const bool bmOrLater = chip.bmOrLater || twelve;
        const auto searched = search(rate, base, bmOrLater);
        if (!searched || !withinTolerance(rate, achievedRate(*searched, base, bmOrLater))) {
            return std::nullopt;
        }
        found = *searched;
    }
    BaudDivisor divisor;
    divisor.value = found.value;
    divisor.index = chip.indexCarriesPortIndex
                        ? static_cast<std::uint16_t>((found.extraBits << 8) | chip.portIndex)
                        : found.extraBits;
    return divisor;
}

} // namespace adapterdriver
