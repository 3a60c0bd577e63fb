#include "Dotfield/Camera/IIDC/IIDCContext.hpp"

namespace Dotfield {

std::shared_ptr<IIDCContext> IIDCContext::create(std::shared_ptr<IIDCBackend> backend) {
    dc1394_t* context = backend->newContext();
    if (context == nullptr) {
        return nullptr;
    }
    return std::make_shared<IIDCContext>(std::move(backend), context);
}

IIDCContext::IIDCContext(std::shared_ptr<IIDCBackend> backend, dc1394_t* context)
    : backend_(std::move(backend)), context_(context) {}

IIDCContext::~IIDCContext() {
    backend_->freeContext(context_);
}

std::vector<dc1394camera_id_t> IIDCContext::cameraIDs() const {
    dc1394camera_list_t* list = nullptr;
    // The status is not examined: whatever did not come back counts as no camera.
    backend_->cameraEnumerate(context_, &list);
    std::vector<dc1394camera_id_t> ids;
    if (list == nullptr) {
        return ids;
    }
    if (list->ids != nullptr) {
        ids.assign(list->ids, list->ids + list->num);
    }
    backend_->cameraFreeList(list);
    return ids;
}

} // namespace Dotfield
