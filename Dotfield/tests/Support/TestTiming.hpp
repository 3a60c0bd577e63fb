#pragma once
// The serial time-outs every fixture opens its links with, in one place.
// A read that ends before a reply has come is taken for a silent device (the
// outputs go off and the late reply then spoils the next exchange), so the
// time-outs are long enough for a whole reply to arrive on two starved cores
// of a loaded, sanitized run; a silence a test injects on purpose costs about
// as long.

#include <chrono>

#include "Dotfield/Instrument/SerialLink/SerialPortTiming.hpp"

namespace Dotfield::Testing {

inline SerialPortTiming serialPortTiming() {
    SerialPortTiming timing;
    timing.readTimeoutMilliseconds = 1500;
    timing.writeTimeoutMilliseconds = 1500;
    timing.bufferedBytesWait = std::chrono::milliseconds(2500);
    return timing;
}

} // namespace Dotfield::Testing
