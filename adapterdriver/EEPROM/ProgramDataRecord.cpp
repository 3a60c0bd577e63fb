#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"

#include <array>
#include <cstddef>
#include <cstring>

namespace adapterdriver {

namespace {

// Where the chip fields of each version begin, and where the last one ends.
constexpr std::array<std::size_t, 7> versionStart{
    offsetof(AD_PROGRAM_DATA, Rev4),
    offsetof(AD_PROGRAM_DATA, Rev5),
    offsetof(AD_PROGRAM_DATA, UseExtOsc),
    offsetof(AD_PROGRAM_DATA, PullDownEnable7),
    offsetof(AD_PROGRAM_DATA, PullDownEnable8),
    offsetof(AD_PROGRAM_DATA, PullDownEnableH),
    offsetof(AD_PROGRAM_DATA, PowerSaveEnableH) + 1,
};

static_assert(sizeof(void*) != 8 || sizeof(AD_PROGRAM_DATA) == 176);
static_assert(versionStart[6] - programDataHeaderSize == 163);

unsigned char* bytesOf(AD_PROGRAM_DATA& record) {
    return reinterpret_cast<unsigned char*>(&record);
}

const unsigned char* bytesOf(const AD_PROGRAM_DATA& record) {
    return reinterpret_cast<const unsigned char*>(&record);
}

// Sets every chip field of the versions first .. last (inclusive) to zero.
void clearVersions(AD_PROGRAM_DATA& record, std::uint32_t first, std::uint32_t last) {
    std::memset(bytesOf(record) + versionStart[first], 0, versionStart[last + 1] - versionStart[first]);
}

} // namespace

std::uint32_t programDataVersion(std::uint32_t chipType) {
    switch (chipType) {
    case AD_DEVICE_2232C:
        return 1;
    case AD_DEVICE_232R:
        return 2;
    case AD_DEVICE_2232H:
        return 3;
    case AD_DEVICE_4232H:
        return 4;
    case AD_DEVICE_232H:
        return 5;
    default:
        return 0;
    }
}

std::size_t programDataBytes(std::uint32_t version) {
    return versionStart[version < 6 ? version + 1 : 6] - programDataHeaderSize;
}

bool hasProgramDataHeader(const AD_PROGRAM_DATA& record) {
    std::uint32_t words[2];
    std::memcpy(words, &record, sizeof(words));
    return words[0] == programDataSignature1 && words[1] == programDataSignature2;
}

AD_PROGRAM_DATA loadProgramData(const AD_PROGRAM_DATA& caller, std::uint32_t chipType) {
    if (hasProgramDataHeader(caller)) {
        return caller;
    }
    AD_PROGRAM_DATA record{};
    record.Signature1 = programDataSignature1;
    record.Signature2 = programDataSignature2;
    record.Version = programDataVersion(chipType);
    std::memcpy(bytesOf(record) + programDataHeaderSize, bytesOf(caller), programDataBytes(record.Version));
    return record;
}

void storeProgramData(const AD_PROGRAM_DATA& decoded, AD_PROGRAM_DATA& caller, std::uint32_t chipType) {
    if (hasProgramDataHeader(caller)) {
        caller = decoded;
        return;
    }
    std::memmove(bytesOf(caller), bytesOf(decoded) + programDataHeaderSize,
                 programDataBytes(programDataVersion(chipType)));
}

void setProgramDataStrings(AD_PROGRAM_DATA& caller, char* manufacturer, char* manufacturerId,
                           char* description, char* serialNumber) {
    const std::size_t shift = hasProgramDataHeader(caller) ? 0 : programDataHeaderSize;
    const auto place = [&](std::size_t offset, char* value) {
        std::memcpy(bytesOf(caller) + offset - shift, &value, sizeof(value));
    };
    place(offsetof(AD_PROGRAM_DATA, Manufacturer), manufacturer);
    place(offsetof(AD_PROGRAM_DATA, ManufacturerId), manufacturerId);
    place(offsetof(AD_PROGRAM_DATA, Description), description);
    place(offsetof(AD_PROGRAM_DATA, SerialNumber), serialNumber);
}

void prepareForDecoding(AD_PROGRAM_DATA& record, std::uint32_t version) {
    const AD_PROGRAM_DATA caller = record;
    switch (version) {
    case 0:
        clearVersions(record, 1, 1);
        record.IsoInA = caller.IsoInA;
        record.IsoInB = caller.IsoInB;
        record.IsoOutA = caller.IsoOutA;
        record.IsoOutB = caller.IsoOutB;
        break;
    case 1:
        clearVersions(record, 0, 0);
        break;
    case 3:
        clearVersions(record, 0, 2);
        break;
    case 4:
    case 5:
        clearVersions(record, 0, version - 1);
        record.PowerSaveEnable = caller.PowerSaveEnable;
        break;
    default:
        break;
    }
    record.Version = version;
}

} // namespace adapterdriver
