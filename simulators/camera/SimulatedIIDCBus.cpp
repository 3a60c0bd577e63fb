#include "simulators/camera/SimulatedIIDCBus.hpp"

#include <algorithm>

namespace Simulators {

namespace {

std::int64_t number(const void* pointer) {
    return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

} // namespace

SimulatedIIDCBus::SimulatedIIDCBus() = default;

SimulatedIIDCBus::~SimulatedIIDCBus() = default;

std::shared_ptr<SimulatedIIDCCamera> SimulatedIIDCBus::plugIn(SimulatedCameraProfile profile) {
    auto camera = std::make_shared<SimulatedIIDCCamera>(std::move(profile));
    std::lock_guard lock(mutex_);
    cameras_.push_back(camera);
    return camera;
}

std::shared_ptr<SimulatedIIDCCamera> SimulatedIIDCBus::plugIn(SimulatedCameraKind kind, std::uint64_t guid,
                                                              std::uint16_t unit) {
    return plugIn(SimulatedCameraProfile::of(kind, guid, unit));
}

void SimulatedIIDCBus::unplug(const std::shared_ptr<SimulatedIIDCCamera>& camera) {
    {
        std::lock_guard lock(mutex_);
        cameras_.erase(std::remove(cameras_.begin(), cameras_.end(), camera), cameras_.end());
    }
    camera->unplug();
}

void SimulatedIIDCBus::busReset() {
    std::vector<std::shared_ptr<SimulatedIIDCCamera>> cameras;
    {
        std::lock_guard lock(mutex_);
        cameras = cameras_;
    }
    for (const auto& camera : cameras) {
        camera->busReset();
    }
}

void SimulatedIIDCBus::setNewContextFails(bool fails) {
    std::lock_guard lock(mutex_);
    newContextFails_ = fails;
}

std::size_t SimulatedIIDCBus::contextsCreated() const {
    std::lock_guard lock(mutex_);
    return contextsCreated_;
}

std::size_t SimulatedIIDCBus::openContextCount() const {
    std::lock_guard lock(mutex_);
    return contexts_.size();
}

std::size_t SimulatedIIDCBus::openHandleCount() const {
    std::lock_guard lock(mutex_);
    return handles_.size();
}

std::size_t SimulatedIIDCBus::openCameraListCount() const {
    std::lock_guard lock(mutex_);
    return lists_.size();
}

std::vector<RecordedIIDCCall> SimulatedIIDCBus::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::size_t SimulatedIIDCBus::callCount(const std::string& function) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(calls_.begin(), calls_.end(),
                      [&](const RecordedIIDCCall& call) { return call.function == function; }));
}

void SimulatedIIDCBus::clearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void SimulatedIIDCBus::record(std::string function, std::vector<std::int64_t> arguments) {
    std::lock_guard lock(mutex_);
    calls_.push_back({std::move(function), std::move(arguments)});
}

std::shared_ptr<SimulatedIIDCCamera> SimulatedIIDCBus::cameraOf(dc1394camera_t* handle) const {
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second->camera;
}

template <typename Operation>
dc1394error_t SimulatedIIDCBus::onCamera(dc1394camera_t* handle, std::string function,
                                         std::vector<std::int64_t> arguments, Operation operation) {
    record(std::move(function), std::move(arguments));
    const auto camera = cameraOf(handle);
    if (!camera) {
        return DC1394_CAMERA_NOT_INITIALIZED;
    }
    return operation(*camera);
}

// ----------------------------------------------------- context and handles

dc1394_t* SimulatedIIDCBus::newContext() {
    record("dc1394_new");
    std::lock_guard lock(mutex_);
    if (newContextFails_) {
        return nullptr;
    }
    auto context = std::make_unique<Context>();
    // An opaque handle: the pointer is only ever handed back to this bus.
    auto* handle = reinterpret_cast<dc1394_t*>(context.get());
    contexts_.emplace(handle, std::move(context));
    ++contextsCreated_;
    return handle;
}

void SimulatedIIDCBus::freeContext(dc1394_t* context) {
    record("dc1394_free");
    std::lock_guard lock(mutex_);
    contexts_.erase(context);
}

dc1394error_t SimulatedIIDCBus::silenceWarnings() {
    record("dc1394_log_register_handler", {DC1394_LOG_WARNING, 0, 0});
    return DC1394_SUCCESS;
}

dc1394error_t SimulatedIIDCBus::cameraEnumerate(dc1394_t* context, dc1394camera_list_t** list) {
    record("dc1394_camera_enumerate");
    std::lock_guard lock(mutex_);
    if (contexts_.count(context) == 0) {
        return DC1394_INVALID_ARGUMENT_VALUE;
    }
    auto storage = std::make_unique<CameraList>();
    for (const auto& camera : cameras_) {
        storage->ids.push_back({camera->unit(), camera->guid()});
    }
    storage->list.num = static_cast<std::uint32_t>(storage->ids.size());
    storage->list.ids = storage->ids.data();
    *list = &storage->list;
    lists_.emplace(*list, std::move(storage));
    return DC1394_SUCCESS;
}

void SimulatedIIDCBus::cameraFreeList(dc1394camera_list_t* list) {
    record("dc1394_camera_free_list");
    std::lock_guard lock(mutex_);
    lists_.erase(list);
}

dc1394camera_t* SimulatedIIDCBus::cameraNew(dc1394_t* context, std::uint64_t guid) {
    record("dc1394_camera_new", {static_cast<std::int64_t>(guid)});
    std::lock_guard lock(mutex_);
    if (contexts_.count(context) == 0) {
        return nullptr;
    }
    // The first unit of the device with that guid, as libdc1394 opens it.
    const auto it = std::find_if(cameras_.begin(), cameras_.end(),
                                 [&](const auto& camera) { return camera->guid() == guid; });
    if (it == cameras_.end()) {
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->camera = *it;
    handle->record.guid = guid;
    handle->record.unit = (*it)->unit();
    handle->record.vendor = const_cast<char*>("Simulated");
    handle->record.model = const_cast<char*>("IIDC camera");
    dc1394camera_t* pointer = &handle->record;
    handles_.emplace(pointer, std::move(handle));
    return pointer;
}

void SimulatedIIDCBus::cameraFree(dc1394camera_t* camera) {
    record("dc1394_camera_free");
    std::unique_ptr<Handle> handle;
    {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(camera);
        if (it == handles_.end()) {
            return;
        }
        handle = std::move(it->second);
        handles_.erase(it);
    }
    handle->camera->handleFreed(camera);
}

// ----------------------------------------------------------- camera calls

dc1394error_t SimulatedIIDCBus::cameraSetPower(dc1394camera_t* camera, dc1394switch_t power) {
    return onCamera(camera, "dc1394_camera_set_power", {power}, [&](auto& c) { return c.setPower(power); });
}

dc1394error_t SimulatedIIDCBus::videoGetSupportedModes(dc1394camera_t* camera, dc1394video_modes_t* modes) {
    return onCamera(camera, "dc1394_video_get_supported_modes", {},
                    [&](auto& c) { return c.supportedModes(modes); });
}

dc1394error_t SimulatedIIDCBus::featureGetAll(dc1394camera_t* camera, dc1394featureset_t* features) {
    return onCamera(camera, "dc1394_feature_get_all", {}, [&](auto& c) { return c.featureGetAll(features); });
}

dc1394error_t SimulatedIIDCBus::featureGetBoundaries(dc1394camera_t* camera, dc1394feature_t feature,
                                                     std::uint32_t* min, std::uint32_t* max) {
    return onCamera(camera, "dc1394_feature_get_boundaries", {feature},
                    [&](auto& c) { return c.featureBoundaries(feature, min, max); });
}

dc1394error_t SimulatedIIDCBus::featureSetMode(dc1394camera_t* camera, dc1394feature_t feature,
                                               dc1394feature_mode_t mode) {
    return onCamera(camera, "dc1394_feature_set_mode", {feature, mode},
                    [&](auto& c) { return c.featureSetMode(feature, mode); });
}

dc1394error_t SimulatedIIDCBus::featureGetValue(dc1394camera_t* camera, dc1394feature_t feature,
                                                std::uint32_t* value) {
    return onCamera(camera, "dc1394_feature_get_value", {feature},
                    [&](auto& c) { return c.featureGetValue(feature, value); });
}

dc1394error_t SimulatedIIDCBus::featureSetValue(dc1394camera_t* camera, dc1394feature_t feature,
                                                std::uint32_t value) {
    return onCamera(camera, "dc1394_feature_set_value", {feature, value},
                    [&](auto& c) { return c.featureSetValue(feature, value); });
}

dc1394error_t SimulatedIIDCBus::featureWhitebalanceGetValue(dc1394camera_t* camera, std::uint32_t* blue,
                                                            std::uint32_t* red) {
    return onCamera(camera, "dc1394_feature_whitebalance_get_value", {},
                    [&](auto& c) { return c.whiteBalance(blue, red); });
}

dc1394error_t SimulatedIIDCBus::featureWhitebalanceSetValue(dc1394camera_t* camera, std::uint32_t blue,
                                                            std::uint32_t red) {
    return onCamera(camera, "dc1394_feature_whitebalance_set_value", {blue, red},
                    [&](auto& c) { return c.setWhiteBalance(blue, red); });
}

dc1394error_t SimulatedIIDCBus::videoGetIsoSpeed(dc1394camera_t* camera, dc1394speed_t* speed) {
    return onCamera(camera, "dc1394_video_get_iso_speed", {}, [&](auto& c) { return c.getIsoSpeed(speed); });
}

dc1394error_t SimulatedIIDCBus::videoSetIsoSpeed(dc1394camera_t* camera, dc1394speed_t speed) {
    return onCamera(camera, "dc1394_video_set_iso_speed", {speed},
                    [&](auto& c) { return c.setIsoSpeed(speed); });
}

dc1394error_t SimulatedIIDCBus::videoGetFramerate(dc1394camera_t* camera, dc1394framerate_t* framerate) {
    return onCamera(camera, "dc1394_video_get_framerate", {},
                    [&](auto& c) { return c.getFramerate(framerate); });
}

dc1394error_t SimulatedIIDCBus::videoSetFramerate(dc1394camera_t* camera, dc1394framerate_t framerate) {
    return onCamera(camera, "dc1394_video_set_framerate", {framerate},
                    [&](auto& c) { return c.setFramerate(framerate); });
}

dc1394error_t SimulatedIIDCBus::videoGetOperationMode(dc1394camera_t* camera, dc1394operation_mode_t* mode) {
    return onCamera(camera, "dc1394_video_get_operation_mode", {},
                    [&](auto& c) { return c.getOperationMode(mode); });
}

dc1394error_t SimulatedIIDCBus::videoSetOperationMode(dc1394camera_t* camera, dc1394operation_mode_t mode) {
    return onCamera(camera, "dc1394_video_set_operation_mode", {mode},
                    [&](auto& c) { return c.setOperationMode(mode); });
}

dc1394error_t SimulatedIIDCBus::videoGetMode(dc1394camera_t* camera, dc1394video_mode_t* mode) {
    return onCamera(camera, "dc1394_video_get_mode", {}, [&](auto& c) { return c.getVideoMode(mode); });
}

dc1394error_t SimulatedIIDCBus::videoSetMode(dc1394camera_t* camera, dc1394video_mode_t mode) {
    return onCamera(camera, "dc1394_video_set_mode", {mode}, [&](auto& c) { return c.setVideoMode(mode); });
}

dc1394error_t SimulatedIIDCBus::format7SetPacketSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                     std::uint32_t packetSize) {
    return onCamera(camera, "dc1394_format7_set_packet_size", {mode, packetSize},
                    [&](auto& c) { return c.format7SetPacketSize(mode, packetSize); });
}

dc1394error_t SimulatedIIDCBus::format7SetColorCoding(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                      dc1394color_coding_t coding) {
    return onCamera(camera, "dc1394_format7_set_color_coding", {mode, coding},
                    [&](auto& c) { return c.format7SetColorCoding(mode, coding); });
}

dc1394error_t SimulatedIIDCBus::format7SetImageSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                    std::uint32_t width, std::uint32_t height) {
    return onCamera(camera, "dc1394_format7_set_image_size", {mode, width, height},
                    [&](auto& c) { return c.format7SetImageSize(mode, width, height); });
}

dc1394error_t SimulatedIIDCBus::format7GetImageSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                    std::uint32_t* width, std::uint32_t* height) {
    return onCamera(camera, "dc1394_format7_get_image_size", {mode},
                    [&](auto& c) { return c.format7GetImageSize(mode, width, height); });
}

dc1394error_t SimulatedIIDCBus::format7GetRecommendedPacketSize(dc1394camera_t* camera,
                                                                dc1394video_mode_t mode,
                                                                std::uint32_t* packetSize) {
    return onCamera(camera, "dc1394_format7_get_recommended_packet_size", {mode},
                    [&](auto& c) { return c.format7RecommendedPacketSize(mode, packetSize); });
}

dc1394error_t SimulatedIIDCBus::format7SetRoi(dc1394camera_t* camera, dc1394video_mode_t mode,
                                              dc1394color_coding_t coding, std::int32_t packetSize,
                                              std::int32_t left, std::int32_t top, std::int32_t width,
                                              std::int32_t height) {
    return onCamera(
        camera, "dc1394_format7_set_roi", {mode, coding, packetSize, left, top, width, height},
        [&](auto& c) { return c.format7SetRoi(mode, coding, packetSize, left, top, width, height); });
}

dc1394error_t SimulatedIIDCBus::getControlRegisters(dc1394camera_t* camera, std::uint64_t offset,
                                                    std::uint32_t* values, std::uint32_t count) {
    return onCamera(camera, "dc1394_get_control_registers", {static_cast<std::int64_t>(offset), count},
                    [&](auto& c) { return c.getControlRegisters(offset, values, count); });
}

dc1394error_t SimulatedIIDCBus::setControlRegisters(dc1394camera_t* camera, std::uint64_t offset,
                                                    const std::uint32_t* values, std::uint32_t count) {
    std::vector<std::int64_t> arguments{static_cast<std::int64_t>(offset), count};
    arguments.insert(arguments.end(), values, values + count);
    return onCamera(camera, "dc1394_set_control_registers", std::move(arguments),
                    [&](auto& c) { return c.setControlRegisters(offset, values, count); });
}

dc1394error_t SimulatedIIDCBus::captureSetup(dc1394camera_t* camera, std::uint32_t bufferCount,
                                             std::uint32_t flags) {
    return onCamera(camera, "dc1394_capture_setup", {bufferCount, flags},
                    [&](auto& c) { return c.captureSetup(camera, bufferCount, flags); });
}

int SimulatedIIDCBus::captureGetFileno(dc1394camera_t* camera) {
    record("dc1394_capture_get_fileno");
    const auto simulated = cameraOf(camera);
    return simulated ? simulated->captureFileno() : -1;
}

dc1394error_t SimulatedIIDCBus::captureDequeue(dc1394camera_t* camera, dc1394capture_policy_t policy,
                                               dc1394video_frame_t** frame) {
    return onCamera(camera, "dc1394_capture_dequeue", {policy},
                    [&](auto& c) { return c.captureDequeue(policy, frame); });
}

dc1394error_t SimulatedIIDCBus::captureEnqueue(dc1394camera_t* camera, dc1394video_frame_t* frame) {
    return onCamera(camera, "dc1394_capture_enqueue", {number(frame)},
                    [&](auto& c) { return c.captureEnqueue(frame); });
}

dc1394error_t SimulatedIIDCBus::captureStop(dc1394camera_t* camera) {
    return onCamera(camera, "dc1394_capture_stop", {}, [&](auto& c) { return c.captureStop(); });
}

dc1394error_t SimulatedIIDCBus::videoSetTransmission(dc1394camera_t* camera, dc1394switch_t power) {
    return onCamera(camera, "dc1394_video_set_transmission", {power},
                    [&](auto& c) { return c.setTransmission(power); });
}

} // namespace Simulators
