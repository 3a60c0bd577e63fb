#pragma once
// The serial time-outs every fixture opens its links with, in one place.
// A read that ends before a reply has come is taken for a silent device, so
// the time-outs are long enough for a whole reply to arrive on a loaded,
// sanitized run; a silence a test injects on purpose costs about as long.

#include <chrono>

#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"

namespace Dotfield::Testing {

inline SerialPortTiming serialPortTiming() {
    SerialPortTiming timing;
    timing.readTimeoutMilliseconds = 500;
    timing.writeTimeoutMilliseconds = 500;
    timing.bufferedBytesWait = std::chrono::milliseconds(1000);
    return timing;
}

} // namespace Dotfield::Testing
