#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"

#include <algorithm>
#include <cmath>

#include "Dotfield/Instrument/Errors/RoboticsError.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

void DropwrightIIb::updateMotorTuningParameters() {
    DropwrightIIa::updateMotorTuningParameters();
    for (const MotorPosition motor : {MotorPosition::xMotor, MotorPosition::yMotor, MotorPosition::zMotor}) {
        send("MDS", motor);
    }
}

double DropwrightIIb::convertPositionToMotorCoordinateSpaceInZ(double position) {
    const SmartMotorModelRow& row = modelRow();
    return std::round((position + offsetFromHomePositionToLimit().z) / row.motorScaleFactor - row.rangeOfMotion.z);
}

std::uint8_t DropwrightIIb::availableBufferSpaceOnMotor(MotorPosition motor) {
    std::vector<std::uint8_t> reply = queryBytes("Q", motor, dropwrightIIbRow.bufferReplyLength);
    if (reply[0] != bufferReplyMarker) {
        reply = queryBytes("Q", motor, dropwrightIIbRow.bufferReplyLength);
    }
    const std::uint8_t status = reply[2];
    if ((status & invalidPositionDelta) != 0) {
        Diagnostics::printWithContext("Invalid position delta");
    }
    if ((status & contourError) != 0) {
        throw Diagnostics::logAndReturnError(RoboticsError(RoboticsError::Kind::corruptedCommunications));
    }
    return std::min(reply[1], maxBufferSizeForNewAnimaticsMotors);
}

std::vector<std::uint8_t> DropwrightIIb::bytesForInt32(std::int32_t value) const {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

} // namespace Dotfield
