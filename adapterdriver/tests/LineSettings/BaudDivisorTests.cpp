#include "adapterdriver/LineSettings/BaudDivisor.hpp"

#include <gtest/gtest.h>

namespace adapterdriver {
namespace {

BaudChip chip232R() {
    return BaudChip{.bmOrLater = true, .twelveMegahertzClock = false, .indexCarriesPortIndex = false};
}
BaudChip chipAM() {
    return BaudChip{.bmOrLater = false, .twelveMegahertzClock = false, .indexCarriesPortIndex = false};
}
BaudChip chip2232H(std::uint8_t port) {
    return BaudChip{
        .bmOrLater = true, .twelveMegahertzClock = true, .indexCarriesPortIndex = true, .portIndex = port};
}
BaudChip chip2232C(std::uint8_t port) {
    return BaudChip{
        .bmOrLater = true, .twelveMegahertzClock = false, .indexCarriesPortIndex = true, .portIndex = port};
}

struct DivisorCase {
    const char* name;
    std::uint32_t rate;
    BaudChip chip;
    std::uint16_t value;
    std::uint16_t index;
};

class BaudDivisorTable : public testing::TestWithParam<DivisorCase> {};

TEST_P(BaudDivisorTable, GivesValueAndIndex) {
    const auto& c = GetParam();
    const auto divisor = baudDivisorFor(c.rate, c.chip);
    ASSERT_TRUE(divisor.has_value());
    EXPECT_EQ(divisor->value, c.value);
    EXPECT_EQ(divisor->index, c.index);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, BaudDivisorTable,
    testing::Values(DivisorCase{"r250000on232R", 250000, chip232R(), 0x000C, 0x0000},
                    DivisorCase{"r250000on2232HA", 250000, chip2232H(1), 0x0030, 0x0201},
                    DivisorCase{"r2000000on232R", 2000000, chip232R(), 0x4001, 0x0000},
                    DivisorCase{"r3000000on232R", 3000000, chip232R(), 0x0000, 0x0000},
                    DivisorCase{"r184on232R", 184, chip232R(), 0x3FB0, 0x0001},
                    DivisorCase{"r9600on2232CB", 9600, chip2232C(2), 0x4138, 0x0002},
                    DivisorCase{"r115200on2232HB", 115200, chip2232H(2), 0x001A, 0x0002},
                    DivisorCase{"r12000000on2232H", 12000000, chip2232H(1), 0x0000, 0x0201},
                    DivisorCase{"r8000000on2232H", 8000000, chip2232H(1), 0x0001, 0x0201},
                    // 3 MHz / 405405 = 7.40: BM chips take 7 3/8 through the extra bit,
                    // older chips the half step.
                    DivisorCase{"r405405onBM", 405405, chip232R(), 0x0007, 0x0001},
                    DivisorCase{"r405405onAM", 405405, chipAM(), 0x4007, 0x0000},
                    // Below 1200 baud even high-speed chips use the 3 MHz clock.
                    DivisorCase{"r1000on2232H", 1000, chip2232H(1), 0x0BB8, 0x0001}),
    [](const testing::TestParamInfo<DivisorCase>& caseInfo) { return std::string(caseInfo.param.name); });

TEST(BaudDivisor, RefusesRatesTheClockCannotReach) {
    EXPECT_FALSE(baudDivisorFor(183, chip232R()).has_value()); // divisor 16393 is above 14 bits
    EXPECT_FALSE(baudDivisorFor(0, chip232R()).has_value());
    // 3 MHz / 1.125 is the nearest step above 2 Mbaud; 2.5 Mbaud misses it by more than 3 %.
    EXPECT_FALSE(baudDivisorFor(2500000, chip232R()).has_value());
    EXPECT_FALSE(baudDivisorFor(10000000, chip2232H(1)).has_value());
}

} // namespace
} // namespace adapterdriver
