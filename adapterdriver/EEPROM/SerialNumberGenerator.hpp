#pragma once
// Serial numbers for adapters programmed without one: a two-character prefix
// followed by six base-36 characters made from a small number and the time.

#include <cstdint>
#include <ctime>
#include <string>

namespace adapterdriver {

// prefix (its first two characters) + the six characters for number and the
// broken-down local time.
std::string generateSerialNumber(const std::string& prefix, std::uint16_t number, const std::tm& localTime);

// The same at the current local time.
std::string generateSerialNumber(const std::string& prefix, std::uint16_t number);

} // namespace adapterdriver
