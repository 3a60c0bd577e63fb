#pragma once
// Which USB devices the library accepts: the built-in table of vendor and
// product ids (its last pair is the user slot AD_SetVIDPID changes), or the
// function "lib_check_device" of an optional table library.

#include <cstdint>
#include <string>

namespace adapterdriver {

// True when the device is one of the library's adapters.
bool isSupportedDevice(std::uint32_t vendorId, std::uint32_t productId);

// Loads the table library, looks up its acceptance function and unloads it
// again, as at start-up; forgetting returns to the built-in table.
void probeAcceptanceFunction();
void forgetAcceptanceFunction();

// The table library is looked up by this name through the dynamic loader's
// search path (never in the current directory); tests point it elsewhere.
void setTableLibraryName(std::string name);
inline constexpr const char* defaultTableLibraryName = "libadapterdriver_table.so";

} // namespace adapterdriver
