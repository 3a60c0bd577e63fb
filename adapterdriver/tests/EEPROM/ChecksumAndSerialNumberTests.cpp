// The EEPROM checksum and the serial-number generator.

#include <gtest/gtest.h>

#include <regex>

#include "adapterdriver/EEPROM/Checksum.hpp"
#include "adapterdriver/EEPROM/SerialNumberGenerator.hpp"

namespace adapterdriver {
namespace {

TEST(EepromChecksum, ABlankImageHasAFixedChecksumAndEveryBitCounts) {
    EepromImage blank(64);
    EXPECT_EQ(eepromChecksum(blank, 63), 0xAAAA);
    for (std::size_t word = 0; word < 63; word += 9) {
        for (unsigned bitNumber : {0u, 7u, 15u}) {
            EepromImage changed(64);
            changed.setWord(word, static_cast<std::uint16_t>(0xFFFF ^ (1u << bitNumber)));
            EXPECT_NE(eepromChecksum(changed, 63), 0xAAAA) << "word " << word << " bit " << bitNumber;
        }
    }
}

TEST(EepromChecksum, RotatesAfterEachWord) {
    EepromImage image(64);
    image.clear();
    image.setWord(0, 0x0001);
    // 0xAAAA ^ 1 = 0xAAAB, rotated 0x5557; then 0x5557 rotated 0xAAAE.
    EXPECT_EQ(eepromChecksum(image, 1), 0x5557);
    EXPECT_EQ(eepromChecksum(image, 2), 0xAAAE);
}

TEST(EepromChecksum, XSeriesLeavesOutWords18To63) {
    EepromImage image(1024);
    const auto before = xSeriesChecksum(image);
    image.setWord(18, 0x1234);
    image.setWord(63, 0x1234);
    image.setWord(127, 0x1234);
    EXPECT_EQ(xSeriesChecksum(image), before);
    image.setWord(64, 0x1234);
    EXPECT_NE(xSeriesChecksum(image), before);
}

std::tm localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(SerialNumberGenerator, PacksNumberAndTimeIntoSixBase36Characters) {
    EXPECT_EQ(generateSerialNumber("FT", 1, localTime(2026, 12, 10, 13, 45, 38)), "FTFDJ5WZ");
    // Short values are padded with zeros on the left.
    EXPECT_EQ(generateSerialNumber("FT", 0, localTime(2000, 1, 1, 0, 0, 0)), "FT0K0LC0");
    // Long values keep their first six characters; the prefix is two characters.
    const auto longer = generateSerialNumber("VTX", 3, localTime(2099, 12, 31, 23, 59, 59));
    EXPECT_EQ(longer, "VT1SSCU4");
}

TEST(SerialNumberGenerator, TheCurrentTimeGivesEightCharacters) {
    EXPECT_TRUE(std::regex_match(generateSerialNumber("FT", 2), std::regex("FT[0-9A-Z]{6}")));
}

} // namespace
} // namespace adapterdriver
