// The user area of every layout: its size, writing and reading it, and the
// bounds that keep it out of the strings and inside the EEPROM.

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "adapterdriver/EEPROM/Layouts/Layouts.hpp"
#include "adapterdriver/tests/EEPROM/SimulatedEepromDevice.hpp"

namespace adapterdriver {
namespace {

using testing::programData;
using testing::SimulatedEepromDevice;

struct UserAreaCase {
    const char* name;
    std::uint32_t chipType;
    std::size_t eepromWords;
    std::uint32_t expectedSize;
};

// Strings "Veltrane" (18 bytes), "Link" (10), "VT000001" (18), the empty
// descriptor and the PnP word: 50 bytes behind the string start.
class UserArea : public ::testing::TestWithParam<UserAreaCase> {
  protected:
    void program() {
        auto data = programData(manufacturer, nullptr, description, serialNumber);
        ASSERT_EQ(programmingLayout(GetParam().chipType)->program(device, data, programmingStrings(data)),
                  AD_OK);
    }

    void expectStringsIntact() {
        char readManufacturer[32] = {};
        char readDescription[64] = {};
        char readSerialNumber[16] = {};
        auto read = programData(readManufacturer, nullptr, readDescription, readSerialNumber);
        ASSERT_EQ(programmingLayout(GetParam().chipType)->read(device, read), AD_OK);
        EXPECT_STREQ(readManufacturer, "Veltrane");
        EXPECT_STREQ(readDescription, "Link");
        EXPECT_STREQ(readSerialNumber, "VT000001");
    }

    char manufacturer[32] = "Veltrane";
    char description[64] = "Link";
    char serialNumber[16] = "VT000001";
    Simulators::SimulatedEEPROM eeprom{GetParam().eepromWords};
    SimulatedEepromDevice device{eeprom};
};

TEST_P(UserArea, AFullAreaReadsBackAndLeavesTheStringsIntact) {
    program();
    auto layout = deviceLayout(GetParam().chipType);
    std::uint32_t size = 0;
    ASSERT_EQ(layout->userAreaSize(device, size), AD_OK);
    EXPECT_EQ(size, GetParam().expectedSize);

    std::vector<std::uint8_t> data(size);
    std::iota(data.begin(), data.end(), std::uint8_t{1});
    ASSERT_EQ(layout->writeUserArea(device, data.data(), size), AD_OK);

    std::vector<std::uint8_t> back(size + 10, 0);
    std::uint32_t count = 0;
    ASSERT_EQ(layout->readUserArea(device, back.data(), size + 10, count), AD_OK);
    EXPECT_EQ(count, size);
    back.resize(count);
    EXPECT_EQ(back, data);
    expectStringsIntact();
}

TEST_P(UserArea, AWriteLongerThanTheAreaIsRefusedAndNothingIsWritten) {
    program();
    auto layout = deviceLayout(GetParam().chipType);
    const auto before = eeprom.words();
    const auto writesBefore = eeprom.writeCount();
    std::vector<std::uint8_t> data(GetParam().expectedSize + 1, 0x5A);
    EXPECT_EQ(layout->writeUserArea(device, data.data(), static_cast<std::uint32_t>(data.size())),
              AD_EEPROM_WRITE_FAILED);
    EXPECT_EQ(eeprom.writeCount(), writesBefore);
    EXPECT_EQ(eeprom.words(), before);
}

TEST_P(UserArea, AShortWriteReadsBackItsOwnBytes) {
    program();
    auto layout = deviceLayout(GetParam().chipType);
    std::uint8_t data[3] = {0xDE, 0xAD, 0x01};
    ASSERT_EQ(layout->writeUserArea(device, data, 3), AD_OK);
    std::uint8_t back[3] = {};
    std::uint32_t count = 0;
    ASSERT_EQ(layout->readUserArea(device, back, 3, count), AD_OK);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + 3), std::vector<std::uint8_t>(data, data + 3));
    expectStringsIntact();
}

// Ordinary areas run from behind the PnP word to the checksum word; large
// parts add the 128 bytes (232H: 96) their strings left.
INSTANTIATE_TEST_SUITE_P(
    EveryLayout, UserArea,
    ::testing::Values(UserAreaCase{"BM", AD_DEVICE_BM, 64, 126 - (0x14 + 50)},
                      UserAreaCase{"R232", AD_DEVICE_232R, 128, 126 - (0x18 + 50)},
                      UserAreaCase{"C2232_64", AD_DEVICE_2232C, 64, 126 - (0x16 + 50)},
                      UserAreaCase{"C2232_128", AD_DEVICE_2232C, 128, 254 - (0x96 + 50) + 128},
                      UserAreaCase{"H2232_64", AD_DEVICE_2232H, 64, 126 - (0x1A + 50)},
                      UserAreaCase{"H2232_256", AD_DEVICE_2232H, 256, 254 - (0x9A + 50) + 128},
                      UserAreaCase{"H4232_128", AD_DEVICE_4232H, 128, 254 - (0x9A + 50) + 128},
                      UserAreaCase{"H232_128", AD_DEVICE_232H, 128, 254 - (0xA0 + 50) + 96}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(UserAreaBounds, A232HReadAs64WordsHasNoUserArea) {
    // A 232H image whose type word is not a large value: its strings stay
    // at 0x20 and its checksum in word 127, outside the 64 words.
    Simulators::SimulatedEEPROM eeprom(128);
    char manufacturer[] = "Veltrane";
    char serial[] = "VT000001";
    auto data = programData(manufacturer, nullptr, nullptr, serial);
    EepromImage image(128);
    ASSERT_EQ(make232HLayout()->buildImage(data, programmingStrings(data), eepromType128Words, image), AD_OK);
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i < 128; ++i) {
        words.push_back(image.word(i));
    }
    words[15] = eepromType64Words;
    eeprom.load(words);
    SimulatedEepromDevice device(eeprom);

    auto layout = make232HLayout();
    std::uint32_t size = 99;
    ASSERT_EQ(layout->userAreaSize(device, size), AD_OK);
    EXPECT_EQ(size, 0u);
    std::uint8_t byte = 1;
    EXPECT_EQ(layout->writeUserArea(device, &byte, 1), AD_EEPROM_WRITE_FAILED);
    std::uint32_t count = 99;
    EXPECT_EQ(layout->readUserArea(device, &byte, 1, count), AD_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(eeprom.words(), words);
}

TEST(UserAreaBounds, AnUnreadableDeviceReportsReadFailure) {
    Simulators::SimulatedEEPROM eeprom(64);
    eeprom.setFailing(true);
    SimulatedEepromDevice device(eeprom);
    std::uint32_t size = 0;
    EXPECT_EQ(makeBMLayout()->userAreaSize(device, size), AD_EEPROM_READ_FAILED);
}

} // namespace
} // namespace adapterdriver
