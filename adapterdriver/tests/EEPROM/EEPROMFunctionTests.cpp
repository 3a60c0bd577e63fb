// The EEPROM entry points over handles of simulated adapters.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "adapterdriver/EEPROM/Checksum.hpp"
#include "adapterdriver/EEPROM/ProgramDataRecord.hpp"
#include "adapterdriver/tests/EEPROM/SimulatedEepromDevice.hpp"
#include "adapterdriver/tests/Support/SimulatedBusFixture.hpp"

namespace adapterdriver::testing {
namespace {

using Simulators::AdapterDescription;
using Simulators::ControlRequest;

class EEPROMFunctions : public SimulatedBusTest {
  protected:
    std::size_t requestCount(std::uint8_t request) const {
        const auto requests = adapter->controlRequests();
        return static_cast<std::size_t>(std::count_if(
            requests.begin(), requests.end(), [&](const ControlRequest& r) { return r.request == request; }));
    }

    AD_HANDLE plugAndOpen(const AdapterDescription& description, const std::string& openName) {
        adapter = bus->plugIn(description);
        return openByDescription(openName);
    }

    char manufacturer[32] = "Veltrane";
    char manufacturerId[16] = "VT";
    char description[64] = "Dispenser Link";
    char serialNumber[16] = "VT000042";
    std::shared_ptr<Simulators::SimulatedAdapter> adapter;
};

TEST_F(EEPROMFunctions, WordAccessChecksItsArgumentsBeforeAnyRequest) {
    const auto handle = plugAndOpen(AdapterDescription::chip232R("FT232R", "A1"), "FT232R");
    adapter->clearControlRequests();
    std::uint16_t value = 0;
    EXPECT_EQ(AD_ReadEE(handle, 2048, &value), AD_INVALID_ARGS);
    EXPECT_EQ(AD_WriteEE(handle, 2048, 1), AD_INVALID_ARGS);
    EXPECT_EQ(AD_ReadEE(handle, 0, nullptr), AD_INVALID_PARAMETER);
    EXPECT_TRUE(adapter->controlRequests().empty());
    EXPECT_EQ(AD_ReadEE(reinterpret_cast<AD_HANDLE>(0x42), 0, &value), AD_INVALID_HANDLE);

    ASSERT_EQ(AD_WriteEE(handle, 5, 0xBEEF), AD_OK);
    ASSERT_EQ(AD_ReadEE(handle, 5, &value), AD_OK);
    EXPECT_EQ(value, 0xBEEF);
    EXPECT_EQ(adapter->controlRequests().back(), (ControlRequest{0xC0, 0x90, 0, 5, 2}));
    ASSERT_EQ(AD_EraseEE(handle), AD_OK);
    ASSERT_EQ(AD_ReadEE(handle, 5, &value), AD_OK);
    EXPECT_EQ(value, 0xFFFF);

    adapter->setControlRequestsFail(true);
    EXPECT_EQ(AD_ReadEE(handle, 5, &value), AD_IO_ERROR);
}

struct HandleCase {
    const char* name;
    AdapterDescription description;
    const char* openName;
    std::uint32_t version;
};

class ProgramThroughHandle : public EEPROMFunctions, public ::testing::WithParamInterface<HandleCase> {};

TEST_P(ProgramThroughHandle, ProgramsAndReadsBackTheChipsRecord) {
    const auto handle = plugAndOpen(GetParam().description, GetParam().openName);
    AD_PROGRAM_DATA data = programData(nullptr, nullptr, nullptr, nullptr);
    data.ProductId = 0x6015;
    data.RemoteWakeup = 1;
    ASSERT_EQ(AD_EE_ProgramEx(handle, &data, manufacturer, manufacturerId, description, serialNumber), AD_OK);

    char readManufacturer[32] = {};
    char readId[16] = {};
    char readDescription[64] = {};
    char readSerial[16] = {};
    AD_PROGRAM_DATA read = programData(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(AD_EE_ReadEx(handle, &read, readManufacturer, readId, readDescription, readSerial), AD_OK);
    EXPECT_EQ(read.Version, GetParam().version);
    EXPECT_EQ(read.ProductId, 0x6015);
    EXPECT_EQ(read.RemoteWakeup, 1);
    EXPECT_STREQ(readManufacturer, "Veltrane");
    EXPECT_STREQ(readId, "VT");
    EXPECT_STREQ(readDescription, "Dispenser Link");
    EXPECT_STREQ(readSerial, "VT000042");
}

INSTANTIATE_TEST_SUITE_P(
    EveryChip, ProgramThroughHandle,
    ::testing::Values(HandleCase{"BM", AdapterDescription::chipBM("BM", "B1"), "BM", 0},
                      HandleCase{"C2232", AdapterDescription::chip2232C("Dual", "C1"), "Dual A", 1},
                      HandleCase{"R232", AdapterDescription::chip232R("R232", "R1"), "R232", 2},
                      HandleCase{"H2232", AdapterDescription::chip2232H("Dual HS", "H1"), "Dual HS B", 3},
                      HandleCase{"H4232", AdapterDescription::chip4232H("Quad HS", "Q1"), "Quad HS C", 4},
                      HandleCase{"H232", AdapterDescription::chip232H("Single HS", "S1"), "Single HS", 5},
                      HandleCase{"XSeries", AdapterDescription::chipXSeries("X", "X1"), "X", 0}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(EEPROMFunctions, A232RIsProgrammedWithItsLatencyTimerAt119Milliseconds) {
    const auto handle = plugAndOpen(AdapterDescription::chip232R("FT232R", "A1"), "FT232R");
    ASSERT_EQ(AD_SetLatencyTimer(handle, 2), AD_OK);
    adapter->clearControlRequests();
    AD_PROGRAM_DATA data = programData(manufacturer, manufacturerId, description, serialNumber);
    ASSERT_EQ(AD_EE_Program(handle, &data), AD_OK);

    std::vector<std::uint16_t> latencies;
    for (const auto& request : adapter->controlRequests()) {
        if (request.request == 9) {
            latencies.push_back(request.value);
        }
    }
    EXPECT_EQ(latencies, (std::vector<std::uint16_t>{119, 2}));
    EXPECT_EQ(adapter->latencyTimer(0), 2);
}

TEST_F(EEPROMFunctions, OlderLayoutRecordsAreProgrammedAndReadBackWithoutHeader) {
    const auto handle = plugAndOpen(AdapterDescription::chip2232H("Dual HS", "H1"), "Dual HS A");
    AD_PROGRAM_DATA full = programData(manufacturer, manufacturerId, description, serialNumber);
    full.BLDriveCurrent = 16;
    full.AIsVCP7 = 1;
    // The older layout is the record without its 12-byte header.
    std::vector<unsigned char> older(programDataBytes(3));
    std::memcpy(older.data(), reinterpret_cast<unsigned char*>(&full) + programDataHeaderSize, older.size());
    ASSERT_EQ(AD_EE_Program(handle, reinterpret_cast<AD_PROGRAM_DATA*>(older.data())), AD_OK);

    std::vector<unsigned char> readBack(older.size(), 0);
    char readSerial[16] = {};
    AD_PROGRAM_DATA pointers = programData(nullptr, nullptr, nullptr, readSerial);
    std::memcpy(readBack.data(), reinterpret_cast<unsigned char*>(&pointers) + programDataHeaderSize,
                readBack.size());
    ASSERT_EQ(AD_EE_Read(handle, reinterpret_cast<AD_PROGRAM_DATA*>(readBack.data())), AD_OK);
    AD_PROGRAM_DATA decoded{};
    std::memcpy(reinterpret_cast<unsigned char*>(&decoded) + programDataHeaderSize, readBack.data(),
                readBack.size());
    EXPECT_EQ(decoded.BLDriveCurrent, 16);
    EXPECT_EQ(decoded.AIsVCP7, 1);
    EXPECT_STREQ(readSerial, "VT000042");
}

TEST_F(EEPROMFunctions, A232RRefusesOlderLayoutRecords) {
    const auto handle = plugAndOpen(AdapterDescription::chip232R("FT232R", "A1"), "FT232R");
    std::vector<unsigned char> older(programDataBytes(2), 0);
    older[0] = 0x03; // vendor id 0x0403: no header signature
    older[1] = 0x04;
    EXPECT_EQ(AD_EE_Program(handle, reinterpret_cast<AD_PROGRAM_DATA*>(older.data())), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_EE_Read(handle, reinterpret_cast<AD_PROGRAM_DATA*>(older.data())), AD_INVALID_PARAMETER);
}

TEST_F(EEPROMFunctions, NullRecordsAndUnsupportedCalls) {
    const auto handle = plugAndOpen(AdapterDescription::chip232R("FT232R", "A1"), "FT232R");
    EXPECT_EQ(AD_EE_Program(handle, nullptr), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_EE_Read(handle, nullptr), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_EE_ProgramEx(handle, nullptr, nullptr, nullptr, nullptr, nullptr), AD_INVALID_ARGS);
    EXPECT_EQ(AD_EE_ReadEx(handle, nullptr, nullptr, nullptr, nullptr, nullptr), AD_INVALID_ARGS);
    EXPECT_EQ(AD_EE_UASize(handle, nullptr), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_EE_UARead(handle, nullptr, 4, nullptr), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_EE_UAWrite(handle, nullptr, 4), AD_INVALID_PARAMETER);
    std::uint8_t value = 0;
    std::uint16_t word = 0;
    EXPECT_EQ(AD_EEPROM_Program(handle, nullptr, 0, nullptr, nullptr, nullptr, nullptr), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_EE_ReadConfig(handle, 0, &value), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_EE_WriteConfig(handle, 0, 0), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_EE_ReadECC(handle, 0, &word), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_EE_ReadConfig(reinterpret_cast<AD_HANDLE>(0x42), 0, &value), AD_INVALID_HANDLE);
}

TEST_F(EEPROMFunctions, ABlankEepromIsReportedAsNotProgrammed) {
    const auto handle = plugAndOpen(AdapterDescription::chip2232H("Dual HS", "H1"), "Dual HS A");
    AD_PROGRAM_DATA read = programData(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(AD_EE_Read(handle, &read), AD_EEPROM_NOT_PROGRAMMED);
    AD_EEPROM_2232H structure{};
    structure.common.deviceType = AD_DEVICE_2232H;
    char m[32], id[16], d[64], s[16];
    EXPECT_EQ(AD_EEPROM_Read(handle, &structure, sizeof(structure), m, id, d, s), AD_EEPROM_NOT_PROGRAMMED);
    adapter->setControlRequestsFail(true);
    EXPECT_EQ(AD_EE_Read(handle, &read), AD_EEPROM_READ_FAILED);
}

TEST_F(EEPROMFunctions, ALarge2232HGivesItsProgrammedStringsToBothReaders) {
    const auto handle = plugAndOpen(AdapterDescription::chip2232H("Dual HS", "H1"), "Dual HS A");
    AD_PROGRAM_DATA data = programData(manufacturer, manufacturerId, description, serialNumber);
    data.PowerSaveEnable = 1; // not programmed on the 2232H
    data.AHDriveCurrent = 12;
    data.BLSlowSlew = 1;
    data.IFBIsFifo7 = 1;
    data.BIsVCP7 = 1;
    ASSERT_EQ(AD_EE_Program(handle, &data), AD_OK);
    EXPECT_EQ(adapter->eepromWord(12), 0x0056);
    for (std::size_t word = 0x1A / 2; word < 64; ++word) {
        ASSERT_EQ(adapter->eepromWord(word), 0) << "word " << word;
    }

    AD_EEPROM_2232H structure{};
    structure.common.deviceType = AD_DEVICE_2232H;
    char m[32] = {}, id[16] = {}, d[64] = {}, s[16] = {};
    ASSERT_EQ(AD_EEPROM_Read(handle, &structure, sizeof(structure), m, id, d, s), AD_OK);
    EXPECT_STREQ(m, "Veltrane");
    EXPECT_STREQ(id, "VT");
    EXPECT_STREQ(d, "Dispenser Link");
    EXPECT_STREQ(s, "VT000042");
    EXPECT_EQ(structure.common.VendorId, 0x0403);
    EXPECT_EQ(structure.common.MaxPower, 90);
    EXPECT_EQ(structure.AHDriveCurrent, 12);
    EXPECT_EQ(structure.ALDriveCurrent, 4);
    EXPECT_EQ(structure.BLSlowSlew, 1);
    EXPECT_EQ(structure.BIsFifo, 1);
    EXPECT_EQ(structure.BDriverType, 1);
    EXPECT_EQ(structure.ADriverType, 0);
    EXPECT_EQ(structure.PowerSaveEnable, 0);

    char readDescription[64] = {};
    AD_PROGRAM_DATA read = programData(nullptr, nullptr, readDescription, nullptr);
    ASSERT_EQ(AD_EE_Read(handle, &read), AD_OK);
    EXPECT_STREQ(readDescription, "Dispenser Link");
}

TEST_F(EEPROMFunctions, EepromReadRefusesMismatchedOrShortStructures) {
    const auto handle = plugAndOpen(AdapterDescription::chip232R("FT232R", "A1"), "FT232R");
    char m[32], id[16], d[64], s[16];
    AD_EEPROM_232R structure{};
    structure.common.deviceType = AD_DEVICE_232R;
    EXPECT_EQ(AD_EEPROM_Read(handle, &structure, sizeof(structure) - 1, m, id, d, s), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_EEPROM_Read(handle, &structure, sizeof(structure), m, id, nullptr, s), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_EEPROM_Read(handle, nullptr, sizeof(structure), m, id, d, s), AD_INVALID_PARAMETER);
    structure.common.deviceType = AD_DEVICE_2232H;
    EXPECT_EQ(AD_EEPROM_Read(handle, &structure, 64, m, id, d, s), AD_INVALID_PARAMETER);
    structure.common.deviceType = AD_DEVICE_AM;
    EXPECT_EQ(AD_EEPROM_Read(handle, &structure, 64, m, id, d, s), AD_INVALID_PARAMETER);
}

TEST_F(EEPROMFunctions, A232RStructureCarriesItsOptionsInversionsAndCbusPins) {
    const auto handle = plugAndOpen(AdapterDescription::chip232R("FT232R", "A1"), "FT232R");
    AD_PROGRAM_DATA data = programData(manufacturer, manufacturerId, description, serialNumber);
    data.HighDriveIOs = 1;
    data.InvertDSR = 1;
    data.Cbus1 = 0xA;
    data.Cbus3 = 0x5;
    data.Cbus4 = 0x9;
    data.SerNumEnableR = 1;
    ASSERT_EQ(AD_EE_Program(handle, &data), AD_OK);

    AD_EEPROM_232R structure{};
    structure.common.deviceType = AD_DEVICE_232R;
    char m[32], id[16], d[64], s[16];
    ASSERT_EQ(AD_EEPROM_Read(handle, &structure, sizeof(structure), m, id, d, s), AD_OK);
    EXPECT_EQ(structure.IsHighCurrent, 1);
    EXPECT_EQ(structure.UseExtOsc, 0);
    EXPECT_EQ(structure.DriverType, 1); // RIsDirectDriver clear
    EXPECT_EQ(structure.InvertDSR, 1);
    EXPECT_EQ(structure.InvertTXD, 0);
    EXPECT_EQ(structure.Cbus1, 0xA);
    EXPECT_EQ(structure.Cbus3, 0x5);
    EXPECT_EQ(structure.Cbus4, 0x9);
    EXPECT_EQ(structure.common.SerNumEnable, 1);
    EXPECT_EQ(structure.common.PullDownEnable, 0);
}

// An X-series image built by hand, byte by byte.
std::vector<std::uint16_t> xSeriesImage() {
    EepromImage image(1024);
    image.clear();
    image.setWord(1, 0x0403);
    image.setWord(2, 0x6015);
    image.setWord(3, 0x1000);
    image.setByte(0, 0xC9);   // BCDEnable, RS485EchoSuppress, PowerSaveEnable, DriverType
    image.setByte(8, 0xC0);   // self powered
    image.setByte(9, 50);     // 100 mA
    image.setByte(10, 0x9C);  // pull-down, serial number, FT1248Cpol, I2CDisableSchmitt
    image.setByte(11, 0x81);  // InvertTXD, InvertRI
    image.setWord(6, 0x00E3); // AD: 16 mA; AC: 12 mA, slow slew, Schmitt
    image.setByte(20, 0x34);
    image.setByte(21, 0x12);
    image.setByte(22, 0x56);
    image.setByte(23, 0x34);
    image.setByte(24, 0x12);
    for (std::size_t i = 0; i < 7; ++i) {
        image.setByte(26 + i, static_cast<std::uint8_t>(0x10 + i));
    }
    // "XY" at 0xA0, "Z" at 0xA6, "S1" at 0xAA.
    const unsigned char strings[] = {6, 3, 'X', 0, 'Y', 0, 4, 3, 'Z', 0, 6, 3, 'S', 0, '1', 0};
    for (std::size_t i = 0; i < sizeof(strings); ++i) {
        image.setByte(0xA0 + i, strings[i]);
    }
    const unsigned char offsets[] = {0xA0, 6, 0xA6, 4, 0xAA, 6};
    for (std::size_t i = 0; i < sizeof(offsets); ++i) {
        image.setByte(14 + i, offsets[i]);
    }
    image.setWord(127, xSeriesChecksum(image));
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i < 1024; ++i) {
        words.push_back(image.word(i));
    }
    return words;
}

TEST_F(EEPROMFunctions, AnXSeriesEepromIsReadIntoItsStructure) {
    auto programmed = AdapterDescription::chipXSeries("X", "X1");
    programmed.eepromImage = xSeriesImage();
    const auto handle = plugAndOpen(programmed, "X");

    AD_EEPROM_X_SERIES x{};
    x.common.deviceType = AD_DEVICE_X_SERIES;
    char m[32] = {}, id[16] = {}, d[64] = {}, s[16] = {};
    ASSERT_EQ(AD_EEPROM_Read(handle, &x, sizeof(x), m, id, d, s), AD_OK);
    EXPECT_STREQ(m, "XY");
    EXPECT_STREQ(d, "Z");
    EXPECT_STREQ(s, "S1");
    EXPECT_EQ(x.common.ProductId, 0x6015);
    EXPECT_EQ(x.common.MaxPower, 100);
    EXPECT_EQ(x.common.SelfPowered, 1);
    EXPECT_EQ(x.common.SerNumEnable, 1);
    EXPECT_EQ(x.common.PullDownEnable, 1);
    EXPECT_EQ((std::vector<int>{x.BCDEnable, x.BCDForceCbusPWREN, x.RS485EchoSuppress, x.PowerSaveEnable,
                                x.DriverType}),
              (std::vector<int>{1, 0, 1, 1, 1}));
    EXPECT_EQ((std::vector<int>{x.FT1248Cpol, x.FT1248Lsb, x.I2CDisableSchmitt}),
              (std::vector<int>{1, 0, 1}));
    EXPECT_EQ((std::vector<int>{x.InvertTXD, x.InvertRXD, x.InvertRI}), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(
        (std::vector<int>{x.ADDriveCurrent, x.ADSlowSlew, x.ACDriveCurrent, x.ACSlowSlew, x.ACSchmittInput}),
        (std::vector<int>{16, 0, 12, 1, 1}));
    EXPECT_EQ(x.I2CSlaveAddress, 0x1234);
    EXPECT_EQ(x.I2CDeviceId, 0x123456u);
    EXPECT_EQ(x.Cbus0, 0x10);
    EXPECT_EQ(x.Cbus6, 0x16);
}

TEST_F(EEPROMFunctions, AnXSeriesUserAreaSkipsTheChecksumWordAndKeepsTheChecksumValid) {
    const auto handle = plugAndOpen(AdapterDescription::chipXSeries("X", "X1"), "X");
    adapter->eeprom().load(xSeriesImage());
    std::uint32_t size = 0;
    ASSERT_EQ(AD_EE_UASize(handle, &size), AD_OK);
    // Behind "S1" (0xB0) up to 92 bytes, then 0x100 to the end of 2048 bytes.
    EXPECT_EQ(size, 78u + (2048u - 0x100u));

    std::vector<std::uint8_t> data(100);
    std::iota(data.begin(), data.end(), std::uint8_t{1});
    ASSERT_EQ(AD_EE_UAWrite(handle, data.data(), 100), AD_OK);
    EXPECT_EQ(adapter->eepromWord(0xB0 / 2), 0x0201);
    EXPECT_EQ(adapter->eepromWord(0x100 / 2), (80 << 8) | 79);
    EepromImage image(1024);
    SimulatedEepromDevice device(adapter->eeprom());
    ASSERT_EQ(image.readFromDevice(device), AD_OK);
    EXPECT_EQ(image.word(127), xSeriesChecksum(image));

    std::vector<std::uint8_t> back(100);
    std::uint32_t count = 0;
    ASSERT_EQ(AD_EE_UARead(handle, back.data(), 100, &count), AD_OK);
    EXPECT_EQ(count, 100u);
    EXPECT_EQ(back, data);
}

TEST_F(EEPROMFunctions, UserAreaThroughAHandle) {
    const auto handle = plugAndOpen(AdapterDescription::chip232H("Single HS", "S1"), "Single HS");
    AD_PROGRAM_DATA data = programData(manufacturer, manufacturerId, description, serialNumber);
    ASSERT_EQ(AD_EE_Program(handle, &data), AD_OK);
    std::uint32_t size = 0;
    ASSERT_EQ(AD_EE_UASize(handle, &size), AD_OK);
    ASSERT_GT(size, 96u);

    std::vector<std::uint8_t> tooLong(size + 1, 0xEE);
    EXPECT_EQ(AD_EE_UAWrite(handle, tooLong.data(), size + 1), AD_EEPROM_WRITE_FAILED);
    std::vector<std::uint8_t> full(size, 0x5A);
    ASSERT_EQ(AD_EE_UAWrite(handle, full.data(), size), AD_OK);
    std::vector<std::uint8_t> back(size + 8, 0);
    std::uint32_t count = 0;
    ASSERT_EQ(AD_EE_UARead(handle, back.data(), size + 8, &count), AD_OK);
    EXPECT_EQ(count, size);

    char readSerial[16] = {};
    AD_PROGRAM_DATA read = programData(nullptr, nullptr, nullptr, readSerial);
    ASSERT_EQ(AD_EE_Read(handle, &read), AD_OK);
    EXPECT_STREQ(readSerial, "VT000042");
}

} // namespace
} // namespace adapterdriver::testing
