#pragma once
// Failures of the positioner, as shown to the operator.

#include <set>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"
#include "Dotfield/Instrument/Errors/PresentableError.hpp"
#include "Dotfield/Instrument/Axes/MotorPosition.hpp"

namespace Dotfield {

class RoboticsError final : public PresentableError {
  public:
    enum class Kind {
        notConnected,
        hitObstruction,
        needsToHome,
        corruptedCommunications,
        abortedDuringMove,
        internalTestFailure
    };

    // Any case but notConnected (which needs its axes: use notConnected()).
    explicit RoboticsError(Kind kind);
    static RoboticsError notConnected(std::set<MotorPosition> axes);

    // A failed exchange with the controllers: a wrong byte count or a corrupted
    // reply is corruptedCommunications; a failed status check or a time-out is
    // notConnected with allMotors alone.
    explicit RoboticsError(const CommunicationsError& communicationsError);

    Kind kind() const { return kind_; }
    // The axes that lost their connection (notConnected only).
    const std::set<MotorPosition>& axes() const { return axes_; }

    int code() const override;
    std::string domain() const override;
    std::string caseDescription() const override;
    ErrorAlertContent presentableDescription() const override;

    // Compares the case only: any two notConnected values are equal.
    friend bool operator==(const RoboticsError& a, const RoboticsError& b) { return a.kind_ == b.kind_; }

  private:
    RoboticsError(Kind kind, std::set<MotorPosition> axes);

    Kind kind_;
    std::set<MotorPosition> axes_;
};

} // namespace Dotfield
