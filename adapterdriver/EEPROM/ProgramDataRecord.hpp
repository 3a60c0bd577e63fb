#pragma once
// AD_PROGRAM_DATA as callers hand it in: the current layout with its 12-byte
// header, or the older layout without one (the same bytes from VendorId on).
// Inside the library every record is of the current layout.

#include <cstddef>
#include <cstdint>

#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

constexpr std::size_t programDataHeaderSize = 12;
constexpr std::uint32_t programDataSignature1 = 0;
constexpr std::uint32_t programDataSignature2 = 0xFFFFFFFF;

// The record version each chip type programs and reads (BM and others 0,
// 2232C 1, 232R 2, 2232H 3, 4232H 4, 232H 5).
std::uint32_t programDataVersion(std::uint32_t chipType);

// Bytes behind the header that a record of the version uses (52 ... 163).
std::size_t programDataBytes(std::uint32_t version);

// True when the record starts with the current layout's header.
bool hasProgramDataHeader(const AD_PROGRAM_DATA& record);

// A current-layout working copy of the caller's record.
AD_PROGRAM_DATA loadProgramData(const AD_PROGRAM_DATA& caller, std::uint32_t chipType);

// Hands a decoded working copy back in the caller's layout.
void storeProgramData(const AD_PROGRAM_DATA& decoded, AD_PROGRAM_DATA& caller, std::uint32_t chipType);

// Sets the four string pointers of the caller's record, in its layout.
void setProgramDataStrings(AD_PROGRAM_DATA& caller, char* manufacturer, char* manufacturerId,
                           char* description, char* serialNumber);

// Readies a record for a decoder of the given version: sets Version and
// clears the fields of other versions that such a decoder clears (BM: the
// version-1 fields but the four isochronous ones; 2232C: version 0; 232R:
// none; 2232H: versions 0 to 2; 4232H and 232H: the versions below their own
// but PowerSaveEnable). Every other field keeps what the caller put there.
void prepareForDecoding(AD_PROGRAM_DATA& record, std::uint32_t version);

} // namespace adapterdriver
