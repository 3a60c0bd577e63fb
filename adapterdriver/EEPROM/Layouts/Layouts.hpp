#pragma once
// The EEPROM layout of each chip family, and which one serves a chip type.

#include <cstdint>
#include <cstring>
#include <memory>

#include "adapterdriver/EEPROM/EepromLayout.hpp"

namespace adapterdriver {

std::unique_ptr<EepromLayout> makeBMLayout();
std::unique_ptr<EepromLayout> make2232CLayout();
std::unique_ptr<EepromLayout> make232RLayout();
std::unique_ptr<EepromLayout> make2232HLayout();
std::unique_ptr<EepromLayout> make4232HLayout();
std::unique_ptr<EepromLayout> make232HLayout();
std::unique_ptr<EepromLayout> makeXSeriesLayout();

// AD_EE_Program and AD_EE_Read: the BM layout for every chip type but the
// 2232C, 232R, 2232H, 4232H and 232H.
std::unique_ptr<EepromLayout> programmingLayout(std::uint32_t chipType);

// AD_EEPROM_Read and the user area: as above, with the X-series layout for
// the X series.
std::unique_ptr<EepromLayout> deviceLayout(std::uint32_t chipType);

// Fills a caller's structure through an aligned copy.
template <class Structure, class Fill> void updateStructure(void* structure, Fill&& fill) {
    Structure copy;
    std::memcpy(&copy, structure, sizeof(copy));
    fill(copy);
    std::memcpy(structure, &copy, sizeof(copy));
}

} // namespace adapterdriver
