#pragma once
// A window model's read of the robot's position: on the robot's queue, with
// the answer on the main queue. The model may be gone by then; it is held
// weakly and nothing runs once it has gone. A failed read goes to the model's
// error handler, or, when it has none, to the diagnostics with `failure`.

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "Diagnostics/DiagnosticHooks.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

template <typename Model>
void readPositionForModel(Robot& robot, std::weak_ptr<Model> model,
                          std::function<void(std::exception_ptr)> Model::*errorHandler, const char* failure,
                          std::function<void(Model&, const VeltranePatterns::Coordinate&)> use) {
    robot.readCurrentPositionAsynchronously(
        [model = std::move(model), errorHandler, failure, use = std::move(use)](
            const std::optional<VeltranePatterns::Coordinate>& position, std::exception_ptr error) {
            const auto self = model.lock();
            if (!self) {
                return;
            }
            if (error) {
                if (const auto& handler = (*self).*errorHandler) {
                    handler(error);
                } else {
                    Diagnostics::printWithContext(failure);
                }
                return;
            }
            if (position) {
                use(*self, *position);
            }
        });
}

} // namespace Dotfield
