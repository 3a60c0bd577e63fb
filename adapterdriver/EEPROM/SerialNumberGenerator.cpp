#include "adapterdriver/EEPROM/SerialNumberGenerator.hpp"

#include <algorithm>

namespace adapterdriver {

std::string generateSerialNumber(const std::string& prefix, std::uint16_t number, const std::tm& localTime) {
    // The fields are shifted in without masking, as the stored serial
    // numbers of earlier adapters were made.
    auto v = static_cast<std::uint64_t>(number);
    v = (v << 4) | static_cast<std::uint64_t>(localTime.tm_year + 1900 - 1999);
    v = (v << 4) | static_cast<std::uint64_t>(localTime.tm_mon);
    v = (v << 5) | static_cast<std::uint64_t>(localTime.tm_mday);
    v = (v << 5) | static_cast<std::uint64_t>(localTime.tm_hour);
    v = (v << 6) | static_cast<std::uint64_t>(localTime.tm_min);
    v = (v << 5) | static_cast<std::uint64_t>(localTime.tm_sec / 2);

    // Base 36, upper-cased (independent of the C library's locale).
    static constexpr char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string text;
    do {
        text.push_back(digits[v % 36]);
        v /= 36;
    } while (v != 0);
    std::reverse(text.begin(), text.end());
    if (text.size() < 6) {
        text.insert(0, 6 - text.size(), '0');
    } else {
        text.resize(6);
    }
    return prefix.substr(0, 2) + text;
}

std::string generateSerialNumber(const std::string& prefix, std::uint16_t number) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return generateSerialNumber(prefix, number, local);
}

} // namespace adapterdriver
