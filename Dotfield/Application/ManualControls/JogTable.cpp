#include "Dotfield/Application/ManualControls/JogTable.hpp"

#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::Coordinate;

struct JogRow {
    std::string_view name;
    JogStepSize size;
    // The displacement of a step of 1.
    Coordinate direction;
};

constexpr std::array<JogRow, 12> jogRows{{
    {"backLargeButton", JogStepSize::large, {0, -1, 0}},
    {"backSmallButton", JogStepSize::small, {0, -1, 0}},
    {"forwardLargeButton", JogStepSize::large, {0, 1, 0}},
    {"forwardSmallButton", JogStepSize::small, {0, 1, 0}},
    {"leftLargeButton", JogStepSize::large, {-1, 0, 0}},
    {"leftSmallButton", JogStepSize::small, {-1, 0, 0}},
    {"rightLargeButton", JogStepSize::large, {1, 0, 0}},
    {"rightSmallButton", JogStepSize::small, {1, 0, 0}},
    {"upLargeButton", JogStepSize::large, {0, 0, 1}},
    {"upSmallButton", JogStepSize::small, {0, 0, 1}},
    {"downLargeButton", JogStepSize::large, {0, 0, -1}},
    {"downSmallButton", JogStepSize::small, {0, 0, -1}},
}};

const JogRow& row(JogButton button) {
    return jogRows[static_cast<std::size_t>(button)];
}

} // namespace

std::array<JogButton, 6> jogButtonsOfSize(JogStepSize size) {
    if (size == JogStepSize::small) {
        return {JogButton::leftSmall, JogButton::rightSmall, JogButton::backSmall,
                JogButton::forwardSmall, JogButton::upSmall, JogButton::downSmall};
    }
    return {JogButton::leftLarge, JogButton::rightLarge, JogButton::backLarge,
            JogButton::forwardLarge, JogButton::upLarge, JogButton::downLarge};
}

JogStepSize jogStepSize(JogButton button) {
    return row(button).size;
}

std::string_view jogButtonName(JogButton button) {
    return row(button).name;
}

Coordinate jogDisplacement(JogButton button, double step) {
    const Coordinate& direction = row(button).direction;
    // Only the moving axis is scaled, so the others stay exactly 0.
    return {direction.x == 0 ? 0.0 : direction.x * step, direction.y == 0 ? 0.0 : direction.y * step,
            direction.z == 0 ? 0.0 : direction.z * step};
}

bool jogButtonEnabled(const Robot* robot, bool robotReadyToMove, JogButton button, double step) {
    if (robot == nullptr) {
        return false;
    }
    const Coordinate target = robot->currentCoordinate() + jogDisplacement(button, step);
    return robot->isCoordinateWithinLimits(target) && robotReadyToMove;
}

} // namespace Dotfield
