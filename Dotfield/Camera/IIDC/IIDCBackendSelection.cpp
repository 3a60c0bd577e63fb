#include "Dotfield/Camera/IIDC/IIDCBackendSelection.hpp"

#include <mutex>

#include "Dotfield/Camera/IIDC/LibDC1394Backend.hpp"
#include "Dotfield/Platform/Log.hpp"

namespace Dotfield {

namespace {

struct Selection {
    std::mutex mutex;
    std::shared_ptr<IIDCBackend> backend;
    std::shared_ptr<IIDCContext> context;
    bool contextFailureLogged = false;
    int camerasInUse = 0;
};

Selection& selection() {
    // Never destroyed: camera threads may still finish while the process exits.
    static auto* state = new Selection;
    return *state;
}

std::shared_ptr<IIDCBackend> backendLocked(Selection& state) {
    if (!state.backend) {
        state.backend = std::make_shared<LibDC1394Backend>();
    }
    return state.backend;
}

} // namespace

bool setIIDCBackend(std::shared_ptr<IIDCBackend> backend) {
    std::shared_ptr<IIDCContext> released;
    {
        Selection& state = selection();
        std::lock_guard lock(state.mutex);
        if (state.camerasInUse > 0) {
            return false;
        }
        state.backend = std::move(backend);
        released = std::move(state.context);
        state.contextFailureLogged = false;
    }
    return true; // the old context is freed here, outside the lock
}

std::shared_ptr<IIDCBackend> currentIIDCBackend() {
    Selection& state = selection();
    std::lock_guard lock(state.mutex);
    return backendLocked(state);
}

std::shared_ptr<IIDCContext> sharedIIDCContext() {
    Selection& state = selection();
    std::lock_guard lock(state.mutex);
    if (state.context) {
        return state.context;
    }
    auto backend = backendLocked(state);
    state.context = IIDCContext::create(backend);
    if (!state.context) {
        if (!state.contextFailureLogged) {
            state.contextFailureLogged = true;
            writeLogLine("The FireWire camera library could not start; no camera can be used");
        }
        return nullptr;
    }
    backend->silenceWarnings();
    return state.context;
}

IIDCCameraUse::IIDCCameraUse() {
    Selection& state = selection();
    std::lock_guard lock(state.mutex);
    ++state.camerasInUse;
}

IIDCCameraUse::~IIDCCameraUse() {
    Selection& state = selection();
    std::lock_guard lock(state.mutex);
    --state.camerasInUse;
}

} // namespace Dotfield
