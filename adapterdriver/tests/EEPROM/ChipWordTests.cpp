// The exact words each chip layout programs, and the AD_EEPROM_Read
// structure each one decodes from them. The expected words are written out
// by hand from the chips' layouts, independently of the encoders, with flags
// chosen so that a swapped or shifted bit shows.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "adapterdriver/EEPROM/Checksum.hpp"
#include "adapterdriver/EEPROM/EepromImage.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/tests/EEPROM/SimulatedEepromDevice.hpp"

namespace adapterdriver {
namespace {

using testing::programData;
using testing::SimulatedEepromDevice;

// Manufacturer "M" (4 bytes), product "D" (4), serial number "S1" (6), the
// empty descriptor (2) and the PnP word behind them.
constexpr std::size_t pnpWordOffset = 4 + 4 + 6 + 2;

struct ChipWords {
    const char* name;
    std::uint32_t chipType;
    std::size_t eepromWords;
    std::function<void(AD_PROGRAM_DATA&)> fill;
    std::vector<std::pair<std::size_t, std::uint16_t>> words; // word index, value
    std::size_t stringStart;                                  // where the strings lie in the image
    std::size_t checksumWord;
    std::size_t structureSize;
    std::function<void(const void*)> checkStructure;
};

class ChipLayoutWords : public ::testing::TestWithParam<ChipWords> {
  protected:
    char manufacturer[8] = "M";
    char description[8] = "D";
    char serialNumber[8] = "S1";
};

TEST_P(ChipLayoutWords, ProgramTheChipsWordsAndDecodeItsStructure) {
    const auto& chip = GetParam();
    Simulators::SimulatedEEPROM eeprom(chip.eepromWords);
    eeprom.write(0x42, 0x0001); // the 232R keeps bit 0 of this word in byte 0
    SimulatedEepromDevice device(eeprom);
    auto data = programData(manufacturer, nullptr, description, serialNumber);
    data.ProductId = 0x6014;
    data.MaxPower = 100;
    data.SelfPowered = 1;
    data.RemoteWakeup = 1;
    data.PnP = 0;
    chip.fill(data);
    ASSERT_EQ(programmingLayout(chip.chipType)->program(device, data, programmingStrings(data)), AD_OK);

    EepromImage image(chip.checksumWord + 1);
    ASSERT_EQ(image.readFromDevice(device), AD_OK);
    EXPECT_EQ(image.word(1), 0x0403);
    EXPECT_EQ(image.word(2), 0x6014);
    EXPECT_EQ(image.word(4), 0x32E0) << "attributes 0x80 | 0x40 | 0x20, 100 mA as 50";
    for (const auto& [index, value] : chip.words) {
        EXPECT_EQ(image.word(index), value) << "word " << index;
    }
    const unsigned char strings[] = {4, 3, 'M', 0, 4, 3, 'D', 0, 6, 3, 'S', 0, '1', 0, 2, 3};
    for (std::size_t i = 0; i < sizeof(strings); ++i) {
        EXPECT_EQ(image.byte(chip.stringStart + i), strings[i]) << "string byte " << i;
    }
    const unsigned char offsets[] = {static_cast<unsigned char>((chip.stringStart & 0x7F) | 0x80),       4,
                                     static_cast<unsigned char>(((chip.stringStart + 4) & 0x7F) | 0x80), 4,
                                     static_cast<unsigned char>(((chip.stringStart + 8) & 0x7F) | 0x80), 6};
    for (std::size_t i = 0; i < sizeof(offsets); ++i) {
        EXPECT_EQ(image.byte(14 + i), offsets[i]) << "offset byte " << 14 + i;
    }
    EXPECT_EQ(image.word((chip.stringStart + pnpWordOffset) / 2), 1) << "PnP 0 is stored as 1";
    EXPECT_EQ(image.word(chip.checksumWord), eepromChecksum(image, chip.checksumWord));

    std::vector<unsigned char> structure(chip.structureSize, 0xEE);
    const std::uint32_t deviceType = chip.chipType;
    std::memcpy(structure.data(), &deviceType, sizeof(deviceType));
    char m[32] = {}, id[16] = {}, d[64] = {}, s[16] = {};
    ASSERT_EQ(deviceLayout(chip.chipType)->readStructure(device, structure.data(), m, id, d, s), AD_OK);
    AD_EEPROM_HEADER header;
    std::memcpy(&header, structure.data(), sizeof(header));
    EXPECT_EQ(header.deviceType, chip.chipType);
    EXPECT_EQ(header.VendorId, 0x0403);
    EXPECT_EQ(header.ProductId, 0x6014);
    EXPECT_EQ(header.MaxPower, 100);
    EXPECT_EQ(header.SelfPowered, 1);
    EXPECT_EQ(header.RemoteWakeup, 1);
    EXPECT_STREQ(m, "M");
    EXPECT_STREQ(d, "D");
    EXPECT_STREQ(s, "S1");
    EXPECT_STREQ(id, "S1");
    chip.checkStructure(structure.data());
}

template <class Structure> Structure structureOf(const void* bytes) {
    Structure structure;
    std::memcpy(&structure, bytes, sizeof(structure));
    return structure;
}

std::vector<int> values(std::initializer_list<int> list) {
    return list;
}

ChipWords bm() {
    return {"BM",
            AD_DEVICE_BM,
            64,
            [](AD_PROGRAM_DATA& d) {
                d.Rev4 = 1;
                d.IsoIn = 1; // never programmed
                d.IsoOut = 1;
                d.PullDownEnable = 1;
                d.USBVersionEnable = 1;
                d.USBVersion = 0x0200;
            },
            {{0, 0x0000}, {3, 0x0400}, {5, 0x0014}, {6, 0x0200}},
            0x14,
            63,
            sizeof(AD_EEPROM_232B),
            [](const void* bytes) {
                const auto s = structureOf<AD_EEPROM_232B>(bytes);
                EXPECT_EQ(s.common.PullDownEnable, 1);
                EXPECT_EQ(s.common.SerNumEnable, 0);
            }};
}

ChipWords chip2232C() {
    return {"C2232",
            AD_DEVICE_2232C,
            64,
            [](AD_PROGRAM_DATA& d) {
                d.IFAIsFifo = 1;
                d.IFAIsFastSer = 1;
                d.AIsHighCurrent = 1;
                d.IFBIsFifoTar = 1;
                d.BIsVCP = 1;
                d.IsoInA = 1; // never programmed
                d.IsoOutB = 1;
                d.SerNumEnable5 = 1;
                d.USBVersionEnable5 = 1;
                d.USBVersion5 = 0x0110;
            },
            {{0, 0x0A15}, {3, 0x0500}, {5, 0x0018}, {6, 0x0110}, {10, 0x0046}},
            0x16,
            63,
            sizeof(AD_EEPROM_2232),
            [](const void* bytes) {
                const auto s = structureOf<AD_EEPROM_2232>(bytes);
                EXPECT_EQ(s.common.SerNumEnable, 1);
                EXPECT_EQ(s.common.PullDownEnable, 0);
                EXPECT_EQ(values({s.AIsHighCurrent, s.BIsHighCurrent, s.AIsFifo, s.AIsFifoTar, s.AIsFastSer,
                                  s.BIsFifo, s.BIsFifoTar, s.BIsFastSer, s.ADriverType, s.BDriverType}),
                          values({1, 0, 1, 0, 1, 0, 1, 0, 0, 1}));
            }};
}

ChipWords chip232R() {
    return {"R232",
            AD_DEVICE_232R,
            128,
            [](AD_PROGRAM_DATA& d) {
                d.HighDriveIOs = 1;
                d.RIsDirectDriver = 1;
                d.EndpointSize = 0x40;
                d.PullDownEnableR = 1;
                d.InvertRXD = 1;
                d.InvertDTR = 1;
                d.InvertRI = 1;
                d.Cbus0 = 1;
                d.Cbus1 = 2;
                d.Cbus2 = 3;
                d.Cbus3 = 4;
                d.Cbus4 = 5;
            },
            {{0, 0x400D}, {3, 0x0600}, {5, 0x9204}, {10, 0x4321}, {11, 0x0005}},
            0x18,
            63,
            sizeof(AD_EEPROM_232R),
            [](const void* bytes) {
                const auto s = structureOf<AD_EEPROM_232R>(bytes);
                EXPECT_EQ(s.common.PullDownEnable, 1);
                EXPECT_EQ(s.common.SerNumEnable, 0);
                EXPECT_EQ(values({s.IsHighCurrent, s.UseExtOsc, s.DriverType}), values({1, 0, 0}));
                EXPECT_EQ(values({s.InvertTXD, s.InvertRXD, s.InvertRTS, s.InvertCTS, s.InvertDTR,
                                  s.InvertDSR, s.InvertDCD, s.InvertRI}),
                          values({0, 1, 0, 0, 1, 0, 0, 1}));
                EXPECT_EQ(values({s.Cbus0, s.Cbus1, s.Cbus2, s.Cbus3, s.Cbus4}), values({1, 2, 3, 4, 5}));
            }};
}

ChipWords chip2232H() {
    return {"H2232",
            AD_DEVICE_2232H,
            64,
            [](AD_PROGRAM_DATA& d) {
                d.IFAIsFifoTar7 = 1;
                d.AIsVCP7 = 1;
                d.IFBIsFifo7 = 1;
                d.IFBIsFastSer7 = 1;
                d.PowerSaveEnable = 1; // never programmed
                d.SerNumEnable7 = 1;
                d.ALSlowSlew = 1;
                d.ALDriveCurrent = 16;
                d.AHSchmittInput = 1;
                d.AHDriveCurrent = 8;
                d.BLDriveCurrent = 12;
                d.BHSlowSlew = 1;
                d.BHSchmittInput = 1;
                d.BHDriveCurrent = 4;
            },
            {{0, 0x050A}, {3, 0x0700}, {5, 0x0008}, {6, 0xC297}, {12, 0x0046}},
            0x1A,
            63,
            sizeof(AD_EEPROM_2232H),
            [](const void* bytes) {
                const auto s = structureOf<AD_EEPROM_2232H>(bytes);
                EXPECT_EQ(s.common.SerNumEnable, 1);
                EXPECT_EQ(values({s.ALSlowSlew, s.ALSchmittInput, s.ALDriveCurrent, s.AHSlowSlew,
                                  s.AHSchmittInput, s.AHDriveCurrent, s.BLSlowSlew, s.BLSchmittInput,
                                  s.BLDriveCurrent, s.BHSlowSlew, s.BHSchmittInput, s.BHDriveCurrent}),
                          values({1, 0, 16, 0, 1, 8, 0, 0, 12, 1, 1, 4}));
                EXPECT_EQ(values({s.AIsFifo, s.AIsFifoTar, s.AIsFastSer, s.BIsFifo, s.BIsFifoTar,
                                  s.BIsFastSer, s.PowerSaveEnable, s.ADriverType, s.BDriverType}),
                          values({0, 1, 0, 1, 0, 1, 0, 1, 0}));
            }};
}

ChipWords chip4232H() {
    return {
        "H4232",
        AD_DEVICE_4232H,
        64,
        [](AD_PROGRAM_DATA& d) {
            d.AIsVCP8 = 1;
            d.DIsVCP8 = 1;
            d.PullDownEnable8 = 1;
            d.BRIIsTXDEN = 1;
            d.CRIIsTXDEN = 1;
            d.ADriveCurrent = 8;
            d.BSlowSlew = 1;
            d.BDriveCurrent = 12;
            d.CSchmittInput = 1;
            d.CDriveCurrent = 16;
            d.DDriveCurrent = 4;
        },
        {{0, 0x8008}, {3, 0x0800}, {5, 0x6004}, {6, 0x0B61}, {12, 0x0046}},
        0x1A,
        63,
        sizeof(AD_EEPROM_4232H),
        [](const void* bytes) {
            const auto s = structureOf<AD_EEPROM_4232H>(bytes);
            EXPECT_EQ(s.common.PullDownEnable, 1);
            EXPECT_EQ(values({s.ASlowSlew, s.ASchmittInput, s.ADriveCurrent, s.BSlowSlew, s.BSchmittInput,
                              s.BDriveCurrent, s.CSlowSlew, s.CSchmittInput, s.CDriveCurrent, s.DSlowSlew,
                              s.DSchmittInput, s.DDriveCurrent}),
                      values({0, 0, 8, 1, 0, 12, 0, 1, 16, 0, 0, 4}));
            EXPECT_EQ(values({s.ARIIsTXDEN, s.BRIIsTXDEN, s.CRIIsTXDEN, s.DRIIsTXDEN}), values({0, 1, 1, 0}));
            EXPECT_EQ(values({s.ADriverType, s.BDriverType, s.CDriverType, s.DDriverType}),
                      values({1, 0, 0, 1}));
        }};
}

ChipWords chip232H() {
    return {"H232",
            AD_DEVICE_232H,
            128,
            [](AD_PROGRAM_DATA& d) {
                d.IsFifoTarH = 1;
                d.IsFastSerH = 1; // only the first mode set is stored
                d.IsVCPH = 1;
                d.FT1248LsbH = 1;
                d.PowerSaveEnableH = 1;
                d.PullDownEnableH = 1;
                d.ACSlowSlewH = 1;
                d.ACDriveCurrentH = 8;
                d.ADSchmittInputH = 1;
                d.ADDriveCurrentH = 16;
                d.Cbus0H = 1;
                d.Cbus1H = 2;
                d.Cbus2H = 3;
                d.Cbus3H = 4;
                d.Cbus4H = 5;
                d.Cbus5H = 6;
                d.Cbus6H = 7;
                d.Cbus7H = 8;
                d.Cbus8H = 9;
                d.Cbus9H = 0xA;
            },
            {{0, 0x8212},
             {3, 0x0900},
             {5, 0x0004},
             {6, 0x0B05},
             {12, 0x4321},
             {13, 0x8765},
             {14, 0x00A9},
             {15, 0x0056},
             {0x8A / 2, 0x0048},
             {0x20 / 2, 0x0000}}, // the strings moved away from 0x20
            0xA0,
            127,
            sizeof(AD_EEPROM_232H),
            [](const void* bytes) {
                const auto s = structureOf<AD_EEPROM_232H>(bytes);
                EXPECT_EQ(s.common.PullDownEnable, 1);
                EXPECT_EQ(values({s.ACSlowSlew, s.ACSchmittInput, s.ACDriveCurrent, s.ADSlowSlew,
                                  s.ADSchmittInput, s.ADDriveCurrent}),
                          values({1, 0, 8, 0, 1, 16}));
                EXPECT_EQ(values({s.Cbus0, s.Cbus1, s.Cbus2, s.Cbus3, s.Cbus4, s.Cbus5, s.Cbus6, s.Cbus7,
                                  s.Cbus8, s.Cbus9}),
                          values({1, 2, 3, 4, 5, 6, 7, 8, 9, 0xA}));
                EXPECT_EQ(values({s.FT1248Cpol, s.FT1248Lsb, s.FT1248FlowControl, s.IsFifo, s.IsFifoTar,
                                  s.IsFastSer, s.IsFT1248, s.PowerSaveEnable, s.DriverType}),
                          values({0, 1, 0, 0, 1, 0, 0, 1, 1}));
            }};
}

INSTANTIATE_TEST_SUITE_P(EveryProgrammedChip, ChipLayoutWords,
                         ::testing::Values(bm(), chip2232C(), chip232R(), chip2232H(), chip4232H(),
                                           chip232H()),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

} // namespace
} // namespace adapterdriver
