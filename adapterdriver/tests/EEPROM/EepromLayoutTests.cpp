// Programming and reading back every chip layout on a simulated EEPROM.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>

#include "adapterdriver/EEPROM/Checksum.hpp"
#include "adapterdriver/EEPROM/EepromImage.hpp"
#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"
#include "adapterdriver/tests/EEPROM/SimulatedEepromDevice.hpp"

namespace adapterdriver {
namespace {

using testing::programData;
using testing::SimulatedEepromDevice;

struct Strings {
    char manufacturer[32] = "Veltrane";
    char manufacturerId[16] = "VT";
    char description[64] = "Dispenser Link";
    char serialNumber[16] = "VT123456";
};

struct ReadBuffers {
    char manufacturer[32] = {};
    char manufacturerId[16] = {};
    char description[64] = {};
    char serialNumber[16] = {};
};

// The chip fields of record version v lie from the first field of v to the
// first field of v + 1.
std::pair<std::size_t, std::size_t> versionRange(std::uint32_t version) {
    static constexpr std::size_t starts[] = {offsetof(AD_PROGRAM_DATA, Rev4),
                                             offsetof(AD_PROGRAM_DATA, Rev5),
                                             offsetof(AD_PROGRAM_DATA, UseExtOsc),
                                             offsetof(AD_PROGRAM_DATA, PullDownEnable7),
                                             offsetof(AD_PROGRAM_DATA, PullDownEnable8),
                                             offsetof(AD_PROGRAM_DATA, PullDownEnableH),
                                             offsetof(AD_PROGRAM_DATA, PowerSaveEnableH) + 1};
    return {starts[version], starts[version + 1]};
}

struct ChipCase {
    const char* name;
    std::uint32_t chipType;
    std::uint32_t version;
    std::size_t eepromWords;
    std::function<void(AD_PROGRAM_DATA&)> fill;
};

void fillBM(AD_PROGRAM_DATA& d) {
    d.Rev4 = 1;
    d.PullDownEnable = 1;
    d.SerNumEnable = 1;
    d.USBVersionEnable = 1;
    d.USBVersion = 0x0200;
}

void fill2232C(AD_PROGRAM_DATA& d) {
    d.Rev5 = 1;
    d.PullDownEnable5 = 1;
    d.USBVersionEnable5 = 1;
    d.USBVersion5 = 0x0110;
    d.AIsHighCurrent = 1;
    d.IFAIsFifoTar = 1;
    d.AIsVCP = 1;
    d.IFBIsFastSer = 1;
    d.BIsHighCurrent = 1;
}

void fill232R(AD_PROGRAM_DATA& d) {
    d.UseExtOsc = 1;
    d.RIsDirectDriver = 1;
    d.EndpointSize = 64;
    d.SerNumEnableR = 1;
    d.InvertTXD = 1;
    d.InvertCTS = 1;
    d.InvertRI = 1;
    d.Cbus0 = 3;
    d.Cbus1 = 0xA;
    d.Cbus2 = 1;
    d.Cbus3 = 0xF;
    d.Cbus4 = 7;
}

void fill2232H(AD_PROGRAM_DATA& d) {
    d.PullDownEnable7 = 1;
    d.ALSlowSlew = 1;
    d.ALDriveCurrent = 16;
    d.AHSchmittInput = 1;
    d.AHDriveCurrent = 8;
    d.BLDriveCurrent = 12;
    d.BHSlowSlew = 1;
    d.BHSchmittInput = 1;
    d.BHDriveCurrent = 4;
    d.IFAIsFifo7 = 1;
    d.AIsVCP7 = 1;
    d.IFBIsFastSer7 = 1;
}

void fill4232H(AD_PROGRAM_DATA& d) {
    d.SerNumEnable8 = 1;
    d.ADriveCurrent = 12;
    d.BSlowSlew = 1;
    d.BDriveCurrent = 4;
    d.CSchmittInput = 1;
    d.CDriveCurrent = 16;
    d.DDriveCurrent = 8;
    d.ARIIsTXDEN = 1;
    d.DRIIsTXDEN = 1;
    d.BIsVCP8 = 1;
    d.DIsVCP8 = 1;
}

void fill232H(AD_PROGRAM_DATA& d) {
    d.PullDownEnableH = 1;
    d.ACSlowSlewH = 1;
    d.ACDriveCurrentH = 12;
    d.ADSchmittInputH = 1;
    d.ADDriveCurrentH = 16;
    d.Cbus0H = 1;
    d.Cbus3H = 0xC;
    d.Cbus8H = 5;
    d.Cbus9H = 0xF;
    d.IsFT1248H = 1;
    d.FT1248CpolH = 1;
    d.FT1248FlowControlH = 1;
    d.IsVCPH = 1;
    d.PowerSaveEnableH = 1;
}

// Drive currents that were never set read back as 4 mA.
void defaultDriveCurrents(AD_PROGRAM_DATA& d) {
    for (auto* field :
         {&d.ALDriveCurrent, &d.AHDriveCurrent, &d.BLDriveCurrent, &d.BHDriveCurrent, &d.ADriveCurrent,
          &d.BDriveCurrent, &d.CDriveCurrent, &d.DDriveCurrent, &d.ACDriveCurrentH, &d.ADDriveCurrentH}) {
        if (*field == 0) {
            *field = 4;
        }
    }
}

class LayoutRoundTrip : public ::testing::TestWithParam<ChipCase> {};

TEST_P(LayoutRoundTrip, ProgrammedRecordReadsBackUnchanged) {
    const auto& chip = GetParam();
    Simulators::SimulatedEEPROM eeprom(chip.eepromWords);
    SimulatedEepromDevice device(eeprom);
    Strings strings;
    auto written =
        programData(strings.manufacturer, strings.manufacturerId, strings.description, strings.serialNumber);
    written.ProductId = 0x6014;
    written.MaxPower = 500;
    written.SelfPowered = 1;
    written.PnP = 1;
    chip.fill(written);
    defaultDriveCurrents(written);

    ASSERT_EQ(programmingLayout(chip.chipType)->program(device, written, programmingStrings(written)), AD_OK);

    ReadBuffers buffers;
    auto read =
        programData(buffers.manufacturer, buffers.manufacturerId, buffers.description, buffers.serialNumber);
    ASSERT_EQ(programmingLayout(chip.chipType)->read(device, read), AD_OK);

    EXPECT_EQ(read.Version, chip.version);
    EXPECT_EQ(read.VendorId, 0x0403);
    EXPECT_EQ(read.ProductId, 0x6014);
    EXPECT_EQ(read.MaxPower, 500);
    EXPECT_EQ(read.SelfPowered, 1);
    EXPECT_EQ(read.RemoteWakeup, 0);
    EXPECT_EQ(read.PnP, 1);
    EXPECT_STREQ(buffers.manufacturer, "Veltrane");
    EXPECT_STREQ(buffers.manufacturerId, "VT");
    EXPECT_STREQ(buffers.description, "Dispenser Link");
    EXPECT_STREQ(buffers.serialNumber, "VT123456");
    const auto [begin, end] = versionRange(chip.version);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&written) + begin,
                          reinterpret_cast<const char*>(&read) + begin, end - begin),
              0)
        << "chip fields of version " << chip.version << " differ";
}

INSTANTIATE_TEST_SUITE_P(EveryChip, LayoutRoundTrip,
                         ::testing::Values(ChipCase{"BM", AD_DEVICE_BM, 0, 64, fillBM},
                                           ChipCase{"AM", AD_DEVICE_AM, 0, 64, fillBM},
                                           ChipCase{"XSeriesAsBM", AD_DEVICE_X_SERIES, 0, 1024, fillBM},
                                           ChipCase{"C2232_64", AD_DEVICE_2232C, 1, 64, fill2232C},
                                           ChipCase{"C2232_128", AD_DEVICE_2232C, 1, 128, fill2232C},
                                           ChipCase{"C2232_256", AD_DEVICE_2232C, 1, 256, fill2232C},
                                           ChipCase{"R232", AD_DEVICE_232R, 2, 128, fill232R},
                                           ChipCase{"H2232_64", AD_DEVICE_2232H, 3, 64, fill2232H},
                                           ChipCase{"H2232_128", AD_DEVICE_2232H, 3, 128, fill2232H},
                                           ChipCase{"H2232_256", AD_DEVICE_2232H, 3, 256, fill2232H},
                                           ChipCase{"H4232_64", AD_DEVICE_4232H, 4, 64, fill4232H},
                                           ChipCase{"H4232_128", AD_DEVICE_4232H, 4, 128, fill4232H},
                                           ChipCase{"H4232_256", AD_DEVICE_4232H, 4, 256, fill4232H},
                                           ChipCase{"H232_128", AD_DEVICE_232H, 5, 128, fill232H},
                                           ChipCase{"H232_256", AD_DEVICE_232H, 5, 256, fill232H}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// --- Size detection and string relocation ---

struct DetectionCase {
    std::uint32_t chipType;
    std::size_t eepromWords;
    std::uint16_t typeWordIndex;
    std::uint16_t expectedType;
    std::size_t checksumWord;
    std::size_t stringStart; // where the manufacturer descriptor lies
};

class SizeDetection : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(SizeDetection, TypeWordChecksumAndStringPlaceFollowTheDetectedSize) {
    const auto& c = GetParam();
    Simulators::SimulatedEEPROM eeprom(c.eepromWords);
    SimulatedEepromDevice device(eeprom);
    Strings strings;
    auto data =
        programData(strings.manufacturer, strings.manufacturerId, strings.description, strings.serialNumber);
    ASSERT_EQ(programmingLayout(c.chipType)->program(device, data, programmingStrings(data)), AD_OK);

    EepromImage image(c.checksumWord + 1);
    ASSERT_EQ(image.readFromDevice(device), AD_OK);
    EXPECT_EQ(image.word(c.typeWordIndex), c.expectedType);
    EXPECT_EQ(image.word(c.checksumWord), eepromChecksum(image, c.checksumWord));
    EXPECT_EQ(image.byte(14), (c.stringStart & 0x7F) | 0x80);
    EXPECT_EQ(image.byte(c.stringStart), (std::strlen(strings.manufacturer) + 1) * 2);
    EXPECT_EQ(image.byte(c.stringStart + 1), 3);
    EXPECT_EQ(image.byte(c.stringStart + 2), 'V');
    if (c.stringStart >= 128) {
        // The place the strings left is zero up to byte 127.
        for (std::size_t offset = c.stringStart - 128; offset < 128; ++offset) {
            ASSERT_EQ(image.byte(offset), 0) << "byte " << offset;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LargeAndSmallParts, SizeDetection,
                         ::testing::Values(DetectionCase{AD_DEVICE_2232C, 64, 10, 0x0046, 63, 0x16},
                                           DetectionCase{AD_DEVICE_2232C, 128, 10, 0x0056, 127, 0x96},
                                           DetectionCase{AD_DEVICE_2232C, 256, 10, 0x0066, 127, 0x96},
                                           DetectionCase{AD_DEVICE_2232H, 64, 12, 0x0046, 63, 0x1A},
                                           DetectionCase{AD_DEVICE_2232H, 128, 12, 0x0056, 127, 0x9A},
                                           DetectionCase{AD_DEVICE_4232H, 256, 12, 0x0066, 127, 0x9A},
                                           DetectionCase{AD_DEVICE_232H, 128, 15, 0x0056, 127, 0xA0},
                                           DetectionCase{AD_DEVICE_232H, 256, 15, 0x0066, 127, 0xA0}));

TEST(EepromLayout, A232HWithoutDetectedSizeStoresItsStringsWhereReadersLookForThem) {
    Strings strings;
    auto data =
        programData(strings.manufacturer, strings.manufacturerId, strings.description, strings.serialNumber);
    EepromImage image(128);
    ASSERT_EQ(make232HLayout()->buildImage(data, programmingStrings(data), 0, image), AD_OK);
    EXPECT_EQ(image.word(15), 0x0056);
    EXPECT_EQ(image.byte(0xA0 + 2), 'V');
    EXPECT_EQ(image.byte(0x8A), 0x48);

    Simulators::SimulatedEEPROM eeprom(128);
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i < 128; ++i) {
        words.push_back(image.word(i));
    }
    eeprom.load(words);
    SimulatedEepromDevice device(eeprom);
    ReadBuffers buffers;
    auto read =
        programData(buffers.manufacturer, buffers.manufacturerId, buffers.description, buffers.serialNumber);
    ASSERT_EQ(make232HLayout()->read(device, read), AD_OK);
    EXPECT_STREQ(buffers.manufacturer, "Veltrane");
    EXPECT_STREQ(buffers.serialNumber, "VT123456");
}

// --- Chip words ---

TEST(EepromLayout, A232HStoresOnlyTheFirstInterfaceModeSet) {
    Strings strings;
    auto data =
        programData(strings.manufacturer, strings.manufacturerId, strings.description, strings.serialNumber);
    data.IsFifoH = 1;
    data.IsFastSerH = 1;
    EepromImage image(128);
    ASSERT_EQ(make232HLayout()->buildImage(data, programmingStrings(data), eepromType128Words, image), AD_OK);
    EXPECT_EQ(image.word(0) & 0xF, 1);
}

TEST(EepromLayout, DriveCurrentsOtherThan8To16MilliamperesAreStoredAs4) {
    Simulators::SimulatedEEPROM eeprom(128);
    SimulatedEepromDevice device(eeprom);
    Strings strings;
    auto data =
        programData(strings.manufacturer, strings.manufacturerId, strings.description, strings.serialNumber);
    data.ALDriveCurrent = 6;
    data.AHDriveCurrent = 24;
    ASSERT_EQ(make2232HLayout()->program(device, data, programmingStrings(data)), AD_OK);
    auto read = programData(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(make2232HLayout()->read(device, read), AD_OK);
    EXPECT_EQ(read.ALDriveCurrent, 4);
    EXPECT_EQ(read.AHDriveCurrent, 4);
}

TEST(EepromLayout, ABMBeforeRevision4ReadsOnlyItsPullDownFlag) {
    Simulators::SimulatedEEPROM eeprom(64);
    SimulatedEepromDevice device(eeprom);
    Strings strings;
    auto data =
        programData(strings.manufacturer, strings.manufacturerId, strings.description, strings.serialNumber);
    ASSERT_EQ(makeBMLayout()->program(device, data, programmingStrings(data)), AD_OK);
    // Revision 0x0200 with every flag of byte 10 and a USB version set.
    eeprom.write(3, 0x0200);
    eeprom.write(5, 0x001F);
    eeprom.write(6, 0x0200);

    auto read = programData(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(makeBMLayout()->read(device, read), AD_OK);
    EXPECT_EQ(read.Rev4, 0);
    EXPECT_EQ(read.USBVersion, 0x0110);
    EXPECT_EQ(read.IsoIn, 0);
    EXPECT_EQ(read.IsoOut, 0);
    EXPECT_EQ(read.SerNumEnable, 0);
    EXPECT_EQ(read.USBVersionEnable, 0);
    EXPECT_EQ(read.PullDownEnable, 1);
}

TEST(EepromLayout, A232RKeepsBit0OfWord0x42) {
    Simulators::SimulatedEEPROM eeprom(128);
    eeprom.write(0x42, 0x1235);
    SimulatedEepromDevice device(eeprom);
    Strings strings;
    auto data =
        programData(strings.manufacturer, strings.manufacturerId, strings.description, strings.serialNumber);
    data.UseExtOsc = 1;
    ASSERT_EQ(make232RLayout()->program(device, data, programmingStrings(data)), AD_OK);
    EXPECT_EQ(eeprom.read(0) & 0xFF, 0x03);
}

TEST(EepromLayout, DecodersClearTheFieldsOfOlderVersionsOnly) {
    Simulators::SimulatedEEPROM eeprom(128);
    SimulatedEepromDevice device(eeprom);
    Strings strings;
    auto data =
        programData(strings.manufacturer, strings.manufacturerId, strings.description, strings.serialNumber);
    ASSERT_EQ(make4232HLayout()->program(device, data, programmingStrings(data)), AD_OK);

    auto read = programData(nullptr, nullptr, nullptr, nullptr);
    read.Rev4 = 1;            // version 0: cleared
    read.UseExtOsc = 1;       // version 2: cleared
    read.PowerSaveEnable = 1; // version 3, kept by the 4232H
    read.IsVCPH = 1;          // version 5: kept
    ASSERT_EQ(make4232HLayout()->read(device, read), AD_OK);
    EXPECT_EQ(read.Rev4, 0);
    EXPECT_EQ(read.UseExtOsc, 0);
    EXPECT_EQ(read.PowerSaveEnable, 1);
    EXPECT_EQ(read.IsVCPH, 1);
}

TEST(EepromLayout, EachDecoderClearsTheFieldsOfTheOtherVersionsItsChipOverwrites) {
    struct Case {
        std::uint32_t version;
        std::vector<std::uint32_t> clearedVersions;
        std::vector<std::size_t> keptFields;
    };
    const Case cases[] = {
        {0,
         {1},
         {offsetof(AD_PROGRAM_DATA, IsoInA), offsetof(AD_PROGRAM_DATA, IsoInB),
          offsetof(AD_PROGRAM_DATA, IsoOutA), offsetof(AD_PROGRAM_DATA, IsoOutB)}},
        {1, {0}, {}},
        {2, {}, {}},
        {3, {0, 1, 2}, {}},
        {4, {0, 1, 2, 3}, {offsetof(AD_PROGRAM_DATA, PowerSaveEnable)}},
        {5, {0, 1, 2, 3, 4}, {offsetof(AD_PROGRAM_DATA, PowerSaveEnable)}},
    };
    for (const auto& c : cases) {
        AD_PROGRAM_DATA record{};
        auto* bytes = reinterpret_cast<unsigned char*>(&record);
        std::memset(bytes + versionRange(0).first, 1, versionRange(5).second - versionRange(0).first);
        prepareForDecoding(record, c.version);
        EXPECT_EQ(record.Version, c.version);
        for (std::uint32_t other = 0; other <= 5; ++other) {
            if (other == c.version) {
                continue;
            }
            const bool cleared = std::find(c.clearedVersions.begin(), c.clearedVersions.end(), other) !=
                                 c.clearedVersions.end();
            const auto [begin, end] = versionRange(other);
            for (std::size_t offset = begin; offset < end; ++offset) {
                const bool kept =
                    std::find(c.keptFields.begin(), c.keptFields.end(), offset) != c.keptFields.end();
                EXPECT_EQ(bytes[offset], cleared && !kept ? 0 : 1)
                    << "decoder " << c.version << ", byte " << offset << " of version " << other;
            }
        }
    }
}

TEST(EepromLayout, StringsThatDoNotFitAreRefusedBeforeAnythingIsWritten) {
    Simulators::SimulatedEEPROM eeprom(64);
    SimulatedEepromDevice device(eeprom);
    std::string longText(40, 'x');
    auto data = programData(longText.data(), nullptr, longText.data(), longText.data());
    EXPECT_EQ(makeBMLayout()->program(device, data, programmingStrings(data)), AD_INVALID_PARAMETER);
    EXPECT_EQ(eeprom.writeCount(), 0u);
}

// --- Failures ---

TEST(EepromLayout, ReadingReportsBlankMissingAndUnreadableEeproms) {
    Simulators::SimulatedEEPROM eeprom(128);
    SimulatedEepromDevice device(eeprom);
    auto read = programData(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(make2232HLayout()->read(device, read), AD_EEPROM_NOT_PROGRAMMED);
    eeprom.write(1, 0);
    EXPECT_EQ(make2232HLayout()->read(device, read), AD_EEPROM_NOT_PRESENT);
    eeprom.setFailing(true);
    EXPECT_EQ(make2232HLayout()->read(device, read), AD_EEPROM_READ_FAILED);
}

TEST(EepromLayout, ProgrammingReportsEraseAndVerifyFailures) {
    Strings strings;
    auto data =
        programData(strings.manufacturer, strings.manufacturerId, strings.description, strings.serialNumber);

    Simulators::SimulatedEEPROM failing(64);
    failing.setFailing(true);
    SimulatedEepromDevice failingDevice(failing);
    EXPECT_EQ(makeBMLayout()->program(failingDevice, data, programmingStrings(data)), AD_EEPROM_ERASE_FAILED);

    Simulators::SimulatedEEPROM writeProtected(64);
    writeProtected.setWriteProtected(true);
    SimulatedEepromDevice protectedDevice(writeProtected);
    EXPECT_EQ(makeBMLayout()->program(protectedDevice, data, programmingStrings(data)),
              AD_EEPROM_WRITE_FAILED);
}

TEST(EepromLayout, AMissingSerialNumberIsGeneratedFromTheManufacturerId) {
    Strings strings;
    auto data = programData(strings.manufacturer, strings.manufacturerId, strings.description, nullptr);
    const auto generated = programmingStrings(data).serialNumber;
    EXPECT_EQ(generated.size(), 8u);
    EXPECT_EQ(generated.substr(0, 2), "VT");
}

} // namespace
} // namespace adapterdriver
