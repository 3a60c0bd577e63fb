#pragma once
// The shipped sensor layer: the vendor offers no library for this platform, so
// no sensor can be attached. Connecting reports that none is there.

#include "Dotfield/Platform/THUM/THUMBackend.hpp"

namespace Dotfield {

class NoSensorTHUMBackend final : public THUMBackend {
  public:
    int getHandle(unsigned char* handle, int options, THUMRemovalCallback removalCallback) override;
    int read(unsigned char* handle, double* temperatureCelsius, double* relativeHumidity) override;
    int releaseHandle(unsigned char* handle) override;
};

} // namespace Dotfield
