#include <gtest/gtest.h>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"
#include "Dotfield/Instrument/Errors/RelayError.hpp"
#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Dotfield/Instrument/Errors/SerialPortConnectionError.hpp"

namespace Dotfield {
namespace {

TEST(CommunicationsErrorTest, EqualityComparesCaseAndPayload) {
    EXPECT_EQ(CommunicationsError::wrongByteCount(5, 3), CommunicationsError::wrongByteCount(5, 3));
    EXPECT_NE(CommunicationsError::wrongByteCount(5, 3), CommunicationsError::wrongByteCount(5, 4));
    EXPECT_EQ(CommunicationsError::corruptedResponse({0x41}, {0x42}),
              CommunicationsError::corruptedResponse({0x41}, {0x42}));
    EXPECT_NE(CommunicationsError::corruptedResponse({0x41}, {0x42}),
              CommunicationsError::corruptedResponse({0x41}, {0x43}));
    EXPECT_NE(CommunicationsError::failedStatusCheck(), CommunicationsError::readWriteTimeout());
}

TEST(CommunicationsErrorTest, CarriesItsPayloadIntoTheMessage) {
    const auto error = CommunicationsError::wrongByteCount(5, 3);
    EXPECT_EQ(error.expectedByteCount(), 5U);
    EXPECT_EQ(error.receivedByteCount(), 3U);
    EXPECT_STREQ(
        error.what(),
        "Dotfield.CommunicationsError 0: wrongByteCount(expectedByteCount: 5, receivedByteCount: 3)");
    EXPECT_STREQ(
        CommunicationsError::corruptedResponse({0x0D, 0xA0}, {}).what(),
        "Dotfield.CommunicationsError 1: corruptedResponse(expectedResponse: [0D A0], receivedResponse: [])");
}

TEST(ErrorTypesTest, CodesAreTheCasePositionsAndDomainsTheQualifiedNames) {
    EXPECT_EQ(CommunicationsError::readWriteTimeout().code(), 3);
    EXPECT_EQ(SerialPortConnectionError(SerialPortConnectionError::Kind::settingTheSettingsFailed).code(), 2);
    EXPECT_EQ(ElectronicsError(ElectronicsError::Kind::internalTestFailure).code(), 4);
    EXPECT_EQ(RelayError(RelayError::Kind::relayDidNotSwitch).domain(), "Dotfield.RelayError");
    EXPECT_EQ(RoboticsError(RoboticsError::Kind::abortedDuringMove).code(), 4);
    EXPECT_EQ(RoboticsError::notConnected({}).code(), 0);
}

TEST(RoboticsErrorTest, NotConnectedValuesAreEqualWhateverTheirAxes) {
    EXPECT_EQ(RoboticsError::notConnected({MotorPosition::xMotor}),
              RoboticsError::notConnected({MotorPosition::yMotor, MotorPosition::zMotor}));
    EXPECT_NE(RoboticsError::notConnected({}), RoboticsError(RoboticsError::Kind::needsToHome));
}

TEST(RoboticsErrorTest, ConvertsCommunicationsErrors) {
    EXPECT_EQ(RoboticsError(CommunicationsError::wrongByteCount(1, 0)).kind(),
              RoboticsError::Kind::corruptedCommunications);
    EXPECT_EQ(RoboticsError(CommunicationsError::corruptedResponse({1}, {2})).kind(),
              RoboticsError::Kind::corruptedCommunications);
    for (const auto& error :
         {CommunicationsError::failedStatusCheck(), CommunicationsError::readWriteTimeout()}) {
        const RoboticsError converted(error);
        EXPECT_EQ(converted.kind(), RoboticsError::Kind::notConnected);
        EXPECT_EQ(converted.axes(), std::set<MotorPosition>{MotorPosition::allMotors});
    }
}

TEST(ErrorTypesTest, ErrorsAreCaughtThroughTheirCommonBases) {
    try {
        throw RelayError(RelayError::Kind::unrecoverableCommunicationNoise);
    } catch (const PresentableError& error) {
        EXPECT_EQ(error.presentableDescription().messageText, "Relay communication disrupted.");
    }
    EXPECT_THROW(throw CommunicationsError::readWriteTimeout(), DotfieldError);
}

} // namespace
} // namespace Dotfield
