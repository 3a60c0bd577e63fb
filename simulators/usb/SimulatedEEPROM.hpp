#pragma once
// The EEPROM of a simulated adapter: a word array of the chip's size that
// answers the read (0x90), write (0x91) and erase (0x92) vendor requests. Like
// a serial EEPROM it ignores the address bits above its size, so a word
// offset wraps around (which is what size detection relies on).

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace Simulators {

class SimulatedEEPROM {
  public:
    // A blank EEPROM (every word 0xFFFF); sizeInWords is a power of two.
    explicit SimulatedEEPROM(std::size_t sizeInWords);

    std::size_t sizeInWords() const { return sizeInWords_; }

    // The word a read of wordOffset returns.
    std::uint16_t read(std::uint32_t wordOffset) const;
    void write(std::uint32_t wordOffset, std::uint16_t value);
    void erase();

    // Every word, and a programmed image loaded from the start (the rest
    // stays as it was).
    std::vector<std::uint16_t> words() const;
    void load(const std::vector<std::uint16_t>& image);

    // Faults: a write-protected part takes writes and erases without storing
    // them; a failing part refuses every request.
    void setWriteProtected(bool writeProtected);
    void setFailing(bool failing);

    // Answers a vendor control request when it is one of the EEPROM's:
    // the libusb result (bytes transferred or a negative error); nothing for
    // requests that are not EEPROM requests.
    std::optional<int> answerControlTransfer(std::uint8_t requestType, std::uint8_t request,
                                             std::uint16_t value, std::uint16_t index, unsigned char* data,
                                             std::uint16_t length);

    // How many write requests arrived (stored or not).
    std::size_t writeCount() const;

  private:
    mutable std::mutex mutex_;
    std::size_t sizeInWords_;
    std::vector<std::uint16_t> words_;
    bool writeProtected_ = false;
    bool failing_ = false;
    std::size_t writeCount_ = 0;
};

} // namespace Simulators
