#include "Dotfield/Application/Preferences/TuningValuesModel.hpp"

#include <algorithm>
#include <utility>

#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Robotics/AxisComponents.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace Dotfield {

TuningValuesModel::TuningValuesModel(std::shared_ptr<Robot> robot)
    : robot_(std::move(robot)), values_(robot_ ? robot_->tunableValues() : nullptr) {}

TuningPane TuningValuesModel::pane() const {
    return values_ ? values_->pane() : TuningPane::backlash;
}

std::span<const TuningValueDescription> TuningValuesModel::descriptions() const {
    return values_ ? values_->descriptions() : std::span<const TuningValueDescription>{};
}

AxisValues TuningValuesModel::value(std::size_t index) const {
    return values_->value(index);
}

void TuningValuesModel::setAxis(std::size_t index, MotorPosition motor, double value) {
    if (index >= descriptions().size()) {
        return;
    }
    const AxisValues triple = replacingAxisComponent(values_->value(index), motor, value);
    values_->setValue(index, triple);
    store(descriptions()[index], triple);
}

bool TuningValuesModel::hasFactorySet() const {
    const auto all = descriptions();
    return !all.empty() && std::all_of(all.begin(), all.end(), [](const TuningValueDescription& description) {
        return description.factoryKey != nullptr;
    });
}

void TuningValuesModel::restoreFactorySet() {
    if (!hasFactorySet()) {
        return;
    }
    const UserDefaults& settings = *robot_->userDefaults();
    const auto all = descriptions();
    for (std::size_t index = 0; index < all.size(); ++index) {
        const AxisValues factory =
            settings.axisValues(all[index].factoryKey, true).value_or(all[index].builtIn);
        values_->setValue(index, factory);
        store(all[index], factory);
    }
}

void TuningValuesModel::stampFactorySet() {
    if (!hasFactorySet()) {
        return;
    }
    const auto all = descriptions();
    for (std::size_t index = 0; index < all.size(); ++index) {
        robot_->userDefaults()->setAxisValues(values_->value(index), all[index].factoryKey, true);
    }
}

void TuningValuesModel::send(ErrorHandler handler, std::function<void()> finished) const {
    robot_->runOnRoboticsQueue(
        [robot = robot_, handler = std::move(handler), finished = std::move(finished)] {
            std::exception_ptr failure;
            try {
                robot->updateMotorTuningParameters();
            } catch (...) {
                failure = std::current_exception();
            }
            MainQueue::main().async([handler, finished, failure] {
                if (failure && handler) {
                    handler(failure);
                }
                if (finished) {
                    finished();
                }
            });
        });
}

void TuningValuesModel::store(const TuningValueDescription& description, const AxisValues& values) const {
    robot_->userDefaults()->setAxisValues(values, description.key, description.keyPerAxis);
}

} // namespace Dotfield
