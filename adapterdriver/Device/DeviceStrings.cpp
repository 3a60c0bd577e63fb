#include "adapterdriver/Device/DeviceStrings.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include "adapterdriver/Device/ChipType.hpp"

namespace adapterdriver {

std::optional<std::string> readDeviceString(USBBackend& backend, USBDeviceHandle& handle, std::uint8_t index,
                                            std::size_t bufferSize) {
    if (bufferSize < 2) {
        return std::nullopt;
    }
    std::vector<unsigned char> buffer(bufferSize + 1, 0);
    const int length =
        backend.getStringDescriptorASCII(handle, index, buffer.data(), static_cast<int>(bufferSize));
    if (length < 0) {
        return std::nullopt;
    }
    const std::size_t count = std::min(static_cast<std::size_t>(length), bufferSize - 1);
    std::string text(reinterpret_cast<const char*>(buffer.data()), count);
    // A descriptor with an embedded terminator ends there.
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::string withInterfaceLetter(std::string_view text, int interfaceNumber, bool blank) {
    std::string result(text);
    if (blank) {
        result.push_back(' ');
    }
    result.push_back(interfaceLetter(interfaceNumber));
    return result;
}

void copyTerminated(char* destination, std::size_t size, std::string_view text) {
    if (destination == nullptr || size == 0) {
        return;
    }
    const std::size_t count = std::min(text.size(), size - 1);
    std::memcpy(destination, text.data(), count);
    destination[count] = '\0';
}

} // namespace adapterdriver
