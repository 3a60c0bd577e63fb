#include "simulators/usb/SimulatedEEPROM.hpp"

#include <algorithm>

#include <libusb.h>

namespace Simulators {

namespace {

constexpr std::uint8_t requestTypeIn = 0xC0;
constexpr std::uint8_t requestTypeOut = 0x40;
constexpr std::uint8_t requestRead = 0x90;
constexpr std::uint8_t requestWrite = 0x91;
constexpr std::uint8_t requestErase = 0x92;

} // namespace

SimulatedEEPROM::SimulatedEEPROM(std::size_t sizeInWords)
    : sizeInWords_(sizeInWords == 0 ? 1 : sizeInWords), words_(sizeInWords_, 0xFFFF) {}

std::uint16_t SimulatedEEPROM::read(std::uint32_t wordOffset) const {
    const std::lock_guard lock(mutex_);
    return words_[wordOffset % sizeInWords_];
}

void SimulatedEEPROM::write(std::uint32_t wordOffset, std::uint16_t value) {
    const std::lock_guard lock(mutex_);
    ++writeCount_;
    if (!writeProtected_) {
        words_[wordOffset % sizeInWords_] = value;
    }
}

void SimulatedEEPROM::erase() {
    const std::lock_guard lock(mutex_);
    if (!writeProtected_) {
        std::fill(words_.begin(), words_.end(), 0xFFFF);
    }
}

std::vector<std::uint16_t> SimulatedEEPROM::words() const {
    const std::lock_guard lock(mutex_);
    return words_;
}

void SimulatedEEPROM::load(const std::vector<std::uint16_t>& image) {
    const std::lock_guard lock(mutex_);
    std::copy_n(image.begin(), std::min(image.size(), words_.size()), words_.begin());
}

void SimulatedEEPROM::setWriteProtected(bool writeProtected) {
    const std::lock_guard lock(mutex_);
    writeProtected_ = writeProtected;
}

void SimulatedEEPROM::setFailing(bool failing) {
    const std::lock_guard lock(mutex_);
    failing_ = failing;
}

std::size_t SimulatedEEPROM::writeCount() const {
    const std::lock_guard lock(mutex_);
    return writeCount_;
}

std::optional<int> SimulatedEEPROM::answerControlTransfer(std::uint8_t requestType, std::uint8_t request,
                                                          std::uint16_t value, std::uint16_t index,
                                                          unsigned char* data, std::uint16_t length) {
    if (request != requestRead && request != requestWrite && request != requestErase) {
        return std::nullopt;
    }
    {
        const std::lock_guard lock(mutex_);
        if (failing_) {
            return LIBUSB_ERROR_PIPE;
        }
    }
    switch (request) {
    case requestRead: {
        if (requestType != requestTypeIn || data == nullptr || length < 2) {
            return LIBUSB_ERROR_PIPE;
        }
        const auto word = read(index);
        data[0] = static_cast<unsigned char>(word & 0xFF);
        data[1] = static_cast<unsigned char>(word >> 8);
        return 2;
    }
    case requestWrite:
        if (requestType != requestTypeOut) {
            return LIBUSB_ERROR_PIPE;
        }
        write(index, value);
        return 0;
    default:
        if (requestType != requestTypeOut) {
            return LIBUSB_ERROR_PIPE;
        }
        erase();
        return 0;
    }
}

} // namespace Simulators
