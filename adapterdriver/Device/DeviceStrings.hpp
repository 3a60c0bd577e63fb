#pragma once
// Device strings (serial number, product description) as the library reads
// and hands them out: read from the string descriptors as ASCII, given the
// interface letter on multi-interface chips, and copied into fixed-size
// buffers always truncated and terminated.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "adapterdriver/USB/USBBackend.hpp"

namespace adapterdriver {

// The string descriptor read into a buffer of bufferSize bytes (so at most
// bufferSize - 1 characters); nothing when it cannot be read.
std::optional<std::string> readDeviceString(USBBackend& backend, USBDeviceHandle& handle, std::uint8_t index,
                                            std::size_t bufferSize);

// "%s%c" (serial numbers in lists) or "%s %c" (descriptions, configuration matching).
std::string withInterfaceLetter(std::string_view text, int interfaceNumber, bool blank);

// Copies text into a buffer of size bytes, truncated and terminated.
void copyTerminated(char* destination, std::size_t size, std::string_view text);

} // namespace adapterdriver
