#pragma once
// The line settings an adapter interface was given through its vendor
// requests, decoded by the adapter itself (independently of the driver's
// encoder), so that a peer can answer only at the right line speed.

#include <chrono>
#include <cstdint>

namespace Simulators {

enum class Parity : std::uint8_t { none = 0, odd = 1, even = 2, mark = 3, space = 4 };
enum class StopBits : std::uint8_t { one = 0, onePointFive = 1, two = 2 };

struct SerialLineSettings {
    std::uint32_t baudRate = 0; // achieved rate, rounded; 0 until set
    std::uint8_t dataBits = 8;
    Parity parity = Parity::none;
    StopBits stopBits = StopBits::one;
    bool breakOn = false;
    std::uint16_t flowControl = 0; // 0x0100 RTS/CTS, 0x0200 DTR/DSR, 0x0400 XON/XOFF
    bool dtr = false;
    bool rts = false;

    // True when the achieved rate is within 3 % of the wanted one, as a UART
    // at the other end still reads it.
    bool baudNear(std::uint32_t wanted) const;

    bool operator==(const SerialLineSettings&) const = default;
};

// How long one byte takes on the line: a start bit, the data bits, the
// parity bit if any and the stop bits (10 bits for 8N1, 11 with parity), at
// the line's rate; at the adapters' power-on 9600 baud while none is set.
std::chrono::nanoseconds byteDuration(const SerialLineSettings& settings);

// The rate an adapter runs at for a baud-rate request.
//   twelveMegahertzCapable: the chip has the 12 MHz clock (2232H, 4232H, 232H)
//   indexCarriesPort: the clock bits sit in the index's high byte
//   bmOrLater: the chip knows the extra fraction bit
std::uint32_t decodeBaudRate(std::uint16_t value, std::uint16_t index, bool twelveMegahertzCapable,
                             bool indexCarriesPort, bool bmOrLater);

// Applies a data-characteristics request (word length, parity, stop bits, break).
void applyDataCharacteristics(SerialLineSettings& settings, std::uint16_t value);

} // namespace Simulators
