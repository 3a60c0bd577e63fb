#pragma once
// The application's robot models as tests make them over the simulated
// instrument: on the machine's clock, with the pauses of homing and tuning
// skipped (the simulated positioners need no settling).

#include <memory>
#include <string>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/Robotics/Models/DropwrightProto.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield::Testing {

// Returns at once from every pause it is asked for.
class NoPauses final : public Sleeper {
  public:
    using Sleeper::sleep;
    void sleep(Clock::Duration) override {}
};

// "IIa", "IIb", "Desktop" or "Proto" (which takes no pauses).
inline std::shared_ptr<Robot> makeRobotModel(const std::string& model, std::shared_ptr<UserDefaults> store) {
    const auto pauses = std::make_shared<NoPauses>();
    if (model == "IIa") {
        return Robot::make<DropwrightIIa>(std::move(store), systemClock(), pauses);
    }
    if (model == "IIb") {
        return Robot::make<DropwrightIIb>(std::move(store), systemClock(), pauses);
    }
    if (model == "Desktop") {
        return Robot::make<DropwrightDesktop>(std::move(store), systemClock(), pauses);
    }
    return Robot::make<DropwrightProto>(std::move(store), systemClock());
}

} // namespace Dotfield::Testing
