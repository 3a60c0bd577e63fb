#pragma once
// The generation-II positioner on the newer SmartMotors: a contour buffer of
// at most 45 places that reports its free places and a contour status, speeds
// in the motors' own units ("VT=", "AT="), data bytes least significant first
// and its own Z conversion. Everything else it inherits from DropwrightIIa
// (whose per-model row it picks up by not being exactly a DropwrightIIa).

#include <cstdint>

#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"

namespace Dotfield {

class DropwrightIIb final : public DropwrightIIa {
  public:
    // Contour status bits of the buffer query's reply.
    enum AnimaticsContouringStatusFlag : std::uint8_t {
        invalidPositionDelta = 0x08,
        contourError = 0x20,
    };
    static constexpr std::uint8_t bufferReplyMarker = 0xF9;

    using DropwrightIIa::DropwrightIIa;

    const std::uint8_t maxBufferSizeForNewAnimaticsMotors = 45;

    // DropwrightIIa's update, then "MDS" to X, Y and Z.
    void updateMotorTuningParameters() override;
    double convertPositionToMotorCoordinateSpaceInZ(double position) override;
    bool usesNewAnimaticsMotors() const override { return true; }
    // "Q" and its 6-byte reply: free places (at most 45) and the contour
    // status. Throws CommunicationsError, or corruptedCommunications for a
    // contour error.
    std::uint8_t availableBufferSpaceOnMotor(MotorPosition motor) override;
    // Least significant byte first.
    std::vector<std::uint8_t> bytesForInt32(std::int32_t value) const override;
};

} // namespace Dotfield
