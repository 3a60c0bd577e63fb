#include "Dotfield/Robotics/Models/DesktopBacklashTuning.hpp"

#include <array>

#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"

namespace Dotfield {

namespace {

const std::array<TuningValueDescription, 1> backlashDescription{{
    {"backlashCorrection",
     "Backlash correction (µm):",
     DropwrightDesktop::backlashCorrectionKey,
     true,
     nullptr,
     {0, 0, 0}},
}};

} // namespace

std::span<const TuningValueDescription> DesktopBacklashTuning::descriptions() const {
    return backlashDescription;
}

AxisValues DesktopBacklashTuning::value(std::size_t) const {
    return desktop_.backlashCorrection();
}

void DesktopBacklashTuning::setValue(std::size_t, const AxisValues& values) {
    desktop_.setBacklashCorrection(values);
}

} // namespace Dotfield
