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

// For links whose peers are never silenced on purpose, such as a whole print
// on a stepped world: there a reply is late only when the machine starves the
// process, which a loaded, sanitized run can do for longer than a usual
// time-out, so they wait ten times as long.
inline SerialPortTiming patientSerialPortTiming() {
    SerialPortTiming timing = serialPortTiming();
    timing.readTimeoutMilliseconds *= 10;
    timing.writeTimeoutMilliseconds *= 10;
    timing.bufferedBytesWait *= 10;
    return timing;
}

} // namespace Dotfield::Testing
