#include "Dotfield/Camera/Capture/CameraQueues.hpp"

namespace Dotfield {

// Never destroyed: cameras may still hand work to them while the process exits.

SerialQueue& sharedImageProcessingQueue() {
    static auto* queue = new SerialQueue("com.veltrane.Dotfield.imageProcessingQueue");
    return *queue;
}

SerialQueue& cameraCallbackQueue() {
    static auto* queue = new SerialQueue("com.veltrane.Dotfield.cameraCallbackQueue");
    return *queue;
}

} // namespace Dotfield
