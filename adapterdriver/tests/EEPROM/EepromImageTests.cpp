// The EEPROM image object: transfers, blank detection, verification, saving.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "adapterdriver/EEPROM/EepromImage.hpp"
#include "adapterdriver/tests/EEPROM/SimulatedEepromDevice.hpp"

namespace adapterdriver {
namespace {

using testing::SimulatedEepromDevice;

TEST(EepromImage, ReadsWritesAndVerifiesLittleEndianWords) {
    Simulators::SimulatedEEPROM eeprom(128);
    SimulatedEepromDevice device(eeprom);
    EepromImage image(64);
    ASSERT_EQ(image.readFromDevice(device), AD_OK);
    EXPECT_TRUE(image.isBlank());

    image.setByte(4, 0x34);
    image.setByte(5, 0x12);
    EXPECT_EQ(image.word(2), 0x1234);
    ASSERT_EQ(image.writeToDevice(device), AD_OK);
    EXPECT_EQ(eeprom.read(2), 0x1234);
    EXPECT_EQ(eeprom.writeCount(), 64u); // the image's size, not the part's
    EXPECT_TRUE(image.verify(device));
    eeprom.write(63, 0);
    EXPECT_FALSE(image.verify(device));

    ASSERT_EQ(image.readFromDevice(device), AD_OK);
    EXPECT_FALSE(image.isBlank());
    ASSERT_EQ(image.erase(device), AD_OK);
    EXPECT_TRUE(image.isBlank());
    EXPECT_EQ(eeprom.read(2), 0xFFFF);
}

TEST(EepromImage, SavesItsFirst128Bytes) {
    const char* outputRoot = std::getenv("DOTFIELD_TEST_OUTPUT");
    const std::filesystem::path folder =
        outputRoot != nullptr ? outputRoot : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(folder);
    const auto path = folder / "eeprom-image.bin";

    EepromImage image(1024);
    image.clear();
    for (std::size_t i = 0; i < 200; ++i) {
        image.setByte(i, static_cast<std::uint8_t>(i));
    }
    ASSERT_TRUE(image.saveToFile(path.string()));
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(saved.size(), 128u);
    EXPECT_EQ(static_cast<unsigned char>(saved[127]), 127);

    EXPECT_FALSE(image.saveToFile((folder / "no-such-folder" / "image.bin").string()));
}

} // namespace
} // namespace adapterdriver
