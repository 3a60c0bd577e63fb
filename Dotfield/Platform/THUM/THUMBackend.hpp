#pragma once
// What stands behind the sensor library's calls (THUMLibrary.hpp): the calls
// forward to the backend installed with setTHUMBackend, one function each, with
// the same arguments and statuses.

#include "Dotfield/Platform/THUM/THUMLibrary.hpp"

namespace Dotfield {

class THUMBackend {
  public:
    virtual ~THUMBackend() = default;

    virtual int getHandle(unsigned char* handle, int options, THUMRemovalCallback removalCallback) = 0;
    virtual int read(unsigned char* handle, double* temperatureCelsius, double* relativeHumidity) = 0;
    virtual int releaseHandle(unsigned char* handle) = 0;
};

} // namespace Dotfield
