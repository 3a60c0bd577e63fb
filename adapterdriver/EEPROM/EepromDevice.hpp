#pragma once
// Word access to an adapter's EEPROM, as the layout classes need it. The
// library binds it to a handle's vendor requests; the results are the
// AD_STATUS of each request.

#include <cstdint>

#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

class EepromDevice {
  public:
    virtual ~EepromDevice() = default;

    virtual AD_STATUS readWord(std::uint32_t wordOffset, std::uint16_t& value) = 0;
    virtual AD_STATUS writeWord(std::uint32_t wordOffset, std::uint16_t value) = 0;
    virtual AD_STATUS erase() = 0;
};

} // namespace adapterdriver
