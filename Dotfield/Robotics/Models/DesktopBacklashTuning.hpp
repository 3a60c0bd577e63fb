#pragma once
// The DropwrightDesktop's one tuning value: its backlash correction, shown in
// the backlash pane, kept per axis under "backlashCorrection" and carried by
// the next moves. It has no factory set.

#include "Dotfield/Robotics/TuningDescription.hpp"

namespace Dotfield {

class DropwrightDesktop;

class DesktopBacklashTuning final : public TunableValues {
  public:
    explicit DesktopBacklashTuning(DropwrightDesktop& desktop) : desktop_(desktop) {}

    TuningPane pane() const override { return TuningPane::backlash; }
    TuningSending sending() const override { return TuningSending::withNextMove; }
    std::span<const TuningValueDescription> descriptions() const override;
    AxisValues value(std::size_t index) const override;
    void setValue(std::size_t index, const AxisValues& values) override;

  private:
    DropwrightDesktop& desktop_;
};

} // namespace Dotfield
