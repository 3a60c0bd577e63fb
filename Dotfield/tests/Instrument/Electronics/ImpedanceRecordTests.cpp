#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "Dotfield/Instrument/Electronics/ImpedanceRecord.hpp"
#include "Dotfield/Instrument/Electronics/StatusSetupText.hpp"
#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"

using namespace Dotfield;
using Zovudidova::kilohertz;
using Bytes = std::vector<std::uint8_t>;

TEST(ImpedanceRecord, DecodesSigned24BitComponents) {
    const struct {
        Bytes record;
        double magnitude;
        double phase;
    } cases[] = {
        {{0x00, 0x03, 0xE8, 0x00, 0x00, 0x00}, 1.0, 0.0},
        {{0xFF, 0xFC, 0x18, 0x00, 0x00, 0x00}, 1.0, -0.0},
        {{0x00, 0x00, 0x00, 0x00, 0x07, 0xD0}, 2.0, 0.0}, // a = 0: phase 0
        {{0x00, 0x0B, 0xB8, 0x00, 0x0F, 0xA0}, 5.0, std::atan(4.0 / 3.0)},
        {{0x00, 0x0B, 0xB8, 0xFF, 0xF0, 0x60}, 5.0, -std::atan(4.0 / 3.0)},
        {{0x7F, 0xFF, 0xFF, 0x00, 0x00, 0x00}, 8388.607, 0.0},
        {{0x80, 0x00, 0x00, 0x00, 0x00, 0x00}, 8388.608, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.magnitude);
        const Impedance impedance = decodeImpedanceRecord(c.record);
        EXPECT_NEAR(impedance.magnitude, c.magnitude, 1e-9);
        EXPECT_NEAR(impedance.phase, c.phase, 1e-12);
    }
}

TEST(ImpedanceRecord, StatusReplyIsFiveRecordsInPointOrder) {
    Bytes reply;
    for (std::uint8_t i = 1; i <= 5; ++i) {
        const Bytes record{0x00, 0x03, static_cast<std::uint8_t>(0xE8 + i), 0x00, 0x00, 0x00};
        reply.insert(reply.end(), record.begin(), record.end());
    }
    const auto impedances = decodeImpedanceReplyPV(reply);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(impedances[i].magnitude, (1000.0 + static_cast<double>(i) + 1.0) / 1000.0, 1e-12);
    }
    reply.pop_back();
    EXPECT_EQ(
        [&] {
            try {
                decodeImpedanceReplyPV(reply);
            } catch (const CommunicationsError& error) {
                return error;
            }
            return CommunicationsError::readWriteTimeout();
        }(),
        CommunicationsError::wrongByteCount(30, 29));
}

TEST(StatusSetupText, LetterSAndFiveWholeHertzNumbers) {
    const std::string text = impedanceStatusCheckSetupText(
        {kilohertz(250.0), kilohertz(300.0), kilohertz(350.0), kilohertz(400.0), kilohertz(450.0)});
    EXPECT_EQ(text, "S250000300000350000400000450000");
    EXPECT_EQ(text.size(), 31u);
    // Rounded to the nearest hertz, halves away from zero.
    EXPECT_EQ(impedanceStatusCheckSetupText({kilohertz(208.8), kilohertz(399.25), kilohertz(200.0005),
                                             kilohertz(200.0004), kilohertz(1000.0)}),
              "S2088003992502000012000001000000");
}

TEST(StatusSetupText, RefusesFrequenciesWithoutAPlainDecimalForm) {
    for (double bad : {-1.0, std::nan(""), 5.0e9}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(impedanceStatusCheckSetupText({kilohertz(bad), kilohertz(300.0), kilohertz(350.0),
                                                    kilohertz(400.0), kilohertz(450.0)}),
                     std::out_of_range);
    }
}
