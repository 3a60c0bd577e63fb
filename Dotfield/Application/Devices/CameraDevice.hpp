#pragma once
// The camera: its set-up loop (open, configure, retry every 0.5 s, set up
// again after the camera lost its frames) is started at launch once the
// camera window uses it, and stopped at the end, its thread joined and the
// camera let go. The camera's own failures are recovered by the loop
// silently; an IIDCCameraError handed to the error handler has no alert of
// the camera's own (it gets the unexpected-error alert).

#include <memory>

#include "Dotfield/Application/Devices/DeviceLifecycle.hpp"
#include "Dotfield/Camera/SetUp/CameraSetUpLoop.hpp"

namespace Dotfield {

class CameraDevice final : public DeviceLifecycle {
  public:
    explicit CameraDevice(CameraSetUpEnvironment environment);

    // What the camera window shows.
    const std::shared_ptr<CameraSetUpLoop>& setUp() const { return setUp_; }

    // Starts the set-up when a window uses the camera; without one nothing
    // is set up.
    void connect() override;
    // A new set-up now (the loop's own retries do the rest).
    void reconnect() override;
    std::optional<RecoveryAlert> recoveryAlert(const std::exception_ptr& error) override;
    void release() override;

  private:
    const std::shared_ptr<CameraSetUpLoop> setUp_;
};

} // namespace Dotfield
