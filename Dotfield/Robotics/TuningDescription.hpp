#pragma once
// How a positioner model describes its tuning values, so that the preferences
// window can show and edit them without knowing the model: each value is a
// triple (x, y, z), one field per axis, with its name, the caption shown
// beside it, the settings keys it lives under and how it reaches the motors.

#include <cstddef>
#include <span>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace Dotfield {

// The pane that shows a model's values: the six closed-loop gain rows, or the
// one backlash row.
enum class TuningPane { gains, backlash };

// How an edited value reaches the motors.
enum class TuningSending {
    // Stored at once; sent to the motor controllers by the robot's
    // updateMotorTuningParameters() (the window's Apply, a restore, or the
    // robot's own sends).
    withTuningUpdate,
    // Stored at once and taken into the robot's next moves; nothing to send.
    withNextMove,
};

struct TuningValueDescription {
    const char* name;
    const char* caption;
    // The operator's values: per axis (key+"ForX", "ForY", "ForZ") or as one
    // dictionary under the key.
    const char* key;
    bool keyPerAxis;
    // The factory set a restore goes back to (per-axis form); none when the
    // model has no factory set.
    const char* factoryKey;
    // The values when neither key is stored.
    AxisValues builtIn;
};

// A model's tuning values: their descriptions, in the order of the pane's
// rows, and the robot's triples they describe. The triples may be read and
// written from any thread.
class TunableValues {
  public:
    virtual ~TunableValues() = default;
    virtual TuningPane pane() const = 0;
    virtual TuningSending sending() const = 0;
    virtual std::span<const TuningValueDescription> descriptions() const = 0;
    virtual AxisValues value(std::size_t index) const = 0;
    virtual void setValue(std::size_t index, const AxisValues& values) = 0;
};

} // namespace Dotfield
