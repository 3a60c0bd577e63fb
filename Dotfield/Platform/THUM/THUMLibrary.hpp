#pragma once
// The three calls of the temperature and humidity sensor's vendor library that
// the application uses. The vendor ships no such library for Linux, so this is
// our own small layer with the same calls and statuses. What answers them is a
// THUMBackend: the shipped one reports that no sensor is attached, and tests
// install a simulated sensor.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace Dotfield {

class THUMBackend;

// The device handle the library fills and later reads back; callers keep its
// storage in place for as long as the handle is in use.
constexpr std::size_t thumHandleSize = 33;
using THUMHandle = std::array<unsigned char, thumHandleSize>;

// Statuses of GetTHUMHandle and ReadTHUM; every other value is a failure.
constexpr int thumSuccess = 0;
constexpr int thumNoSensor = 2; // no sensor attached, or the sensor went away

// Called by the library, on a thread of its choosing, when the sensor is removed.
using THUMRemovalCallback = void (*)(void* target, void* result, void* refcon, void* sender);

// Fills the handle for the attached sensor. `options` is passed as 0.
int GetTHUMHandle(unsigned char* handle, int options, THUMRemovalCallback removalCallback);
// Reads the temperature in degrees Celsius and the relative humidity in percent.
int ReadTHUM(unsigned char* handle, double* temperatureCelsius, double* relativeHumidity);
// Gives the handle back; the answer carries no meaning.
int ReleaseTHUMHandle(unsigned char* handle);

// Chooses what answers the calls from now on; nullptr restores the shipped
// layer (no sensor attached).
void setTHUMBackend(std::shared_ptr<THUMBackend> backend);

} // namespace Dotfield
