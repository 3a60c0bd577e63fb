#include "Dotfield/Printing/Engine/PrintClosingSequence.hpp"

#include <iostream>

#include "Dotfield/Platform/RepeatingTimer.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

PrintClosingSequence::PrintClosingSequence(Robot& robot, RepeatingTimer& statusPoll)
    : robot_(robot), statusPoll_(statusPoll) {
    statusPoll_.suspend();
}

PrintClosingSequence::~PrintClosingSequence() {
    statusPoll_.resume();
    try {
        robot_.useManualPositioningMovementParameters();
    } catch (...) {
        std::cout << "ERROR: Throwing away errors during last stage of pattern printing" << std::endl;
    }
}

} // namespace Dotfield
