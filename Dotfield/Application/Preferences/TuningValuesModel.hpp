#pragma once
// What the preferences window's motor calibration pane edits, without the
// window: the robot model's tuning values as the model describes them. An
// edit goes at once into the robot and under the value's key; sending to the
// motors, restoring the factory set and stamping the current values as the
// factory set follow each value's description.
//
// Threads: main thread; sending runs on the robot's queue.

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <span>

#include "Dotfield/Instrument/Axes/MotorPosition.hpp"
#include "Dotfield/Robotics/TuningDescription.hpp"

namespace Dotfield {

class Robot;

class TuningValuesModel {
  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    explicit TuningValuesModel(std::shared_ptr<Robot> robot);

    // The backlash pane for a robot without tuning values, as for the Desktop.
    TuningPane pane() const;
    // Empty without a robot or tuning values.
    std::span<const TuningValueDescription> descriptions() const;
    AxisValues value(std::size_t index) const;
    // Sets one axis of one value in the robot and stores the whole triple
    // under the value's key; nothing is sent. An index beyond the model's
    // values changes nothing.
    void setAxis(std::size_t index, MotorPosition motor, double value);

    // Every value has a factory key (the Desktop's backlash has none).
    bool hasFactorySet() const;
    // Each value from its factory key, else its built-in values, into the
    // robot and under its key. The caller sends them.
    void restoreFactorySet();
    // The robot's values under their factory keys; nothing else changes.
    void stampFactorySet();

    // Sends the robot's tuning values to its motors on the robot's queue,
    // behind the motion queued before; a failure goes to `handler` and then
    // `finished` runs, both on the main thread.
    void send(ErrorHandler handler, std::function<void()> finished) const;

  private:
    void store(const TuningValueDescription& description, const AxisValues& values) const;

    std::shared_ptr<Robot> robot_;
    TunableValues* values_ = nullptr;
};

} // namespace Dotfield
