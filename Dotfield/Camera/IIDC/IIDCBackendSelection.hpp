#pragma once
// Run-time choice of what answers the camera code's libdc1394 calls: libdc1394
// itself, or a simulated bus (simulators/camera) for tests and demonstrations.
// Each backend has its one shared library context, made when a camera first
// needs it.

#include <memory>

#include "Dotfield/Camera/IIDC/IIDCBackend.hpp"
#include "Dotfield/Camera/IIDC/IIDCContext.hpp"

namespace Dotfield {

// Chooses the backend from now on; nullptr restores libdc1394. Refused (false)
// while a camera is open or being opened. The previous backend's shared
// context is released once nothing holds it.
bool setIIDCBackend(std::shared_ptr<IIDCBackend> backend);

std::shared_ptr<IIDCBackend> currentIIDCBackend();

// The shared context of the current backend, made once (thread-safe) with the
// backend's warnings silenced. nullptr when the backend gives no context: the
// failure is logged once and creation is tried again on the next call.
std::shared_ptr<IIDCContext> sharedIIDCContext();

// Held by a camera from the start of its initialiser until its handle is
// freed; setIIDCBackend is refused while any is held.
class IIDCCameraUse {
  public:
    IIDCCameraUse();
    ~IIDCCameraUse();
    IIDCCameraUse(const IIDCCameraUse&) = delete;
    IIDCCameraUse& operator=(const IIDCCameraUse&) = delete;
};

} // namespace Dotfield
