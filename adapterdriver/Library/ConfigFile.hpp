#pragma once
// The optional configuration file "adapterdriver.cfg": a section header that
// applies to a device ("[Globals]", "[VID_xxxx&PID_xxxx]" or "[<serial>]")
// followed by a line "ConfigFlags=0x<hex>". Only the first section of the file
// takes effect; a following one is reached only past an unparsable
// ConfigFlags line. Bit 30 of the flags sends writes through the write thread.

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace adapterdriver {

constexpr std::uint32_t configFlagWriteThread = 0x40000000;
constexpr std::size_t configLineLimit = 1023;

struct ConfigIdentity {
    std::uint32_t vendorId = 0;
    std::uint32_t productId = 0;
    std::string serialNumber; // with the interface suffix on multi-interface chips
};

// The ConfigFlags the text gives the device; 0 when no section applies.
std::uint32_t parseConfigFlags(std::istream& text, const ConfigIdentity& device);

// Reads the first file of the search path that can be opened; 0 when none.
std::uint32_t readConfigFlags(const ConfigIdentity& device);

// The files looked for, in order. By default "<current directory>/adapterdriver.cfg",
// "/usr/local/lib/adapterdriver.cfg", "/usr/lib/adapterdriver.cfg"; tests replace it.
void setConfigFileSearchPath(std::vector<std::string> paths);
void restoreDefaultConfigFileSearchPath();

} // namespace adapterdriver
