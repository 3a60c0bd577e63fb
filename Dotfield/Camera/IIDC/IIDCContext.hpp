#pragma once
// One libdc1394 library context and the cameras attached to it. The camera
// code uses the one shared context of the selected backend
// (sharedIIDCContext in IIDCBackendSelection.hpp).

#include <memory>
#include <vector>

#include "Dotfield/Camera/IIDC/IIDCBackend.hpp"

namespace Dotfield {

class IIDCContext {
  public:
    // Calls dc1394_new on the backend; nullptr when it gives no context.
    static std::shared_ptr<IIDCContext> create(std::shared_ptr<IIDCBackend> backend);

    IIDCContext(std::shared_ptr<IIDCBackend> backend, dc1394_t* context);
    // dc1394_free.
    ~IIDCContext();
    IIDCContext(const IIDCContext&) = delete;
    IIDCContext& operator=(const IIDCContext&) = delete;

    dc1394_t* context() const { return context_; }
    IIDCBackend& backend() const { return *backend_; }
    const std::shared_ptr<IIDCBackend>& sharedBackend() const { return backend_; }

    // The attached cameras in libdc1394's order; empty when enumeration gives
    // no list. A list that came back is always released.
    std::vector<dc1394camera_id_t> cameraIDs() const;

  private:
    std::shared_ptr<IIDCBackend> backend_;
    dc1394_t* context_;
};

} // namespace Dotfield
