#pragma once
// The twelve jog buttons of the manual controls: which way each moves the
// positioner, by which of the two step sizes, and when it may be pressed.

#include <array>
#include <string_view>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class Robot;

// In the order a pressed button is matched against the outlets.
enum class JogButton {
    backLarge,
    backSmall,
    forwardLarge,
    forwardSmall,
    leftLarge,
    leftSmall,
    rightLarge,
    rightSmall,
    upLarge,
    upSmall,
    downLarge,
    downSmall,
};

enum class JogStepSize { small, large };

inline constexpr std::array<JogButton, 12> allJogButtons{
    JogButton::backLarge,  JogButton::backSmall,  JogButton::forwardLarge, JogButton::forwardSmall,
    JogButton::leftLarge,  JogButton::leftSmall,  JogButton::rightLarge,   JogButton::rightSmall,
    JogButton::upLarge,    JogButton::upSmall,    JogButton::downLarge,    JogButton::downSmall,
};

// The buttons of one size in the order they are refreshed: left, right, back,
// forward, up, down.
std::array<JogButton, 6> jogButtonsOfSize(JogStepSize size);

JogStepSize jogStepSize(JogButton button);
// The outlet name of the button ("backLargeButton", ...).
std::string_view jogButtonName(JogButton button);

// The button's displacement (µm; z grows upwards) for the given step.
VeltranePatterns::Coordinate jogDisplacement(JogButton button, double step);

// A jog button may be pressed exactly when there is a robot, its current
// position plus the displacement lies within its travel, and it is ready to move.
bool jogButtonEnabled(const Robot* robot, bool robotReadyToMove, JogButton button, double step);

} // namespace Dotfield
