#pragma once
// The closed-loop tuning values of a positioner model: six triples (x, y, z)
// the robot sends to its motor controllers. Each triple lives under two
// settings keys: the operator's values under its user-defined key (dictionary
// form) and the values a restore goes back to under its factory key (per-axis
// form); its built-in values stand in when neither is stored.
//
// Threads: the triples sit behind a lock, so the preferences window may edit
// them on the main thread while the robot queue reads them to send them.

#include <array>
#include <cstddef>
#include <mutex>
#include <span>

#include "Dotfield/Instrument/Axes/MotorPosition.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Robotics/AxisComponents.hpp"
#include "Dotfield/Robotics/TuningDescription.hpp"

namespace Dotfield {

// The six gain triples of the closed-loop models, shown in the gains pane and
// sent with the robot's tuning update.
class TuningValues final : public TunableValues {
  public:
    static constexpr std::size_t count = 6;
    using Keys = std::array<TuningValueDescription, count>;

    // Reads each triple from its user-defined key (dictionary form), else its
    // factory key (per-axis form), else takes its built-in values. `keys` must
    // outlive the object.
    TuningValues(const Keys& keys, const UserDefaults& store);
    TuningValues(const TuningValues&) = delete;
    TuningValues& operator=(const TuningValues&) = delete;

    const Keys& keys() const { return keys_; }
    AxisValues value(std::size_t index) const override;
    std::array<AxisValues, count> values() const;
    void setValue(std::size_t index, const AxisValues& values) override;
    // Replaces one axis of one triple and answers the whole new triple.
    AxisValues setAxis(std::size_t index, MotorPosition motor, double value);

    TuningPane pane() const override { return TuningPane::gains; }
    TuningSending sending() const override { return TuningSending::withTuningUpdate; }
    std::span<const TuningValueDescription> descriptions() const override { return keys_; }

  private:
    const Keys& keys_;
    mutable std::mutex mutex_;
    std::array<AxisValues, count> values_{};
};

} // namespace Dotfield
