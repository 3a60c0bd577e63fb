#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/VoltageCommand.hpp"

using namespace Dotfield;
using Bytes = std::array<std::uint8_t, 3>;

TEST(VoltageCommand, CodesInTenthsOfAVolt) {
    const struct {
        double volts;
        Bytes bytes;
    } cases[] = {
        {0.0, {0x77, 0x00, 0x00}},   {0.05, {0x77, 0x00, 0x00}}, {0.5, {0x77, 0x00, 0x66}},
        {0.59, {0x77, 0x00, 0x66}},  {2.3, {0x77, 0x01, 0xD7}},  {10.0, {0x77, 0x08, 0x00}},
        {19.9, {0x77, 0x0F, 0xEB}},  {20.0, {0x77, 0x0F, 0xFF}}, {25.0, {0x77, 0x0F, 0xFF}},
        {1.0e6, {0x77, 0x0F, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volts);
        EXPECT_EQ(voltageCommandBytes(c.volts), c.bytes);
    }
}

TEST(VoltageCommand, RefusesVoltagesOutsideTheCommandsRange) {
    for (double bad : {-0.1, -1.0e-9, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), 5.0e8}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(voltageCommandBytes(bad), std::out_of_range);
    }
}
