#pragma once
// The process-wide queues of the camera: the image-processing queue on which
// frames are delivered to their targets (shared by every camera and the stages
// of the frame path), and the queue that runs the cameras' error callbacks.

#include "Dotfield/Platform/SerialQueue.hpp"

namespace Dotfield {

SerialQueue& sharedImageProcessingQueue();
SerialQueue& cameraCallbackQueue();

} // namespace Dotfield
