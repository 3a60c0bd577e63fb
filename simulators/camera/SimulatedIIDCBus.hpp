#pragma once
// A FireWire bus of simulated IIDC cameras behind the camera code's libdc1394
// seam. Install it with Dotfield::setIIDCBackend(bus); plug cameras in with
// plugIn. It counts the library contexts and camera handles it hands out,
// records every call with its arguments, and can be told to fail dc1394_new.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Dotfield/Camera/IIDC/IIDCBackend.hpp"
#include "simulators/camera/SimulatedIIDCCamera.hpp"

namespace Simulators {

// One call through the seam: libdc1394's function name and the arguments that
// are numbers, in order (switches, modes and codes as their values).
struct RecordedIIDCCall {
    std::string function;
    std::vector<std::int64_t> arguments;
};

class SimulatedIIDCBus final : public Dotfield::IIDCBackend {
  public:
    SimulatedIIDCBus();
    ~SimulatedIIDCBus() override;

    // Adds a camera at the end of the bus order.
    std::shared_ptr<SimulatedIIDCCamera> plugIn(SimulatedCameraProfile profile);
    std::shared_ptr<SimulatedIIDCCamera> plugIn(SimulatedCameraKind kind, std::uint64_t guid,
                                                std::uint16_t unit = 0);
    // Takes the camera off the bus: it leaves the enumeration, its capture
    // descriptor hangs up and every call on its handles fails.
    void unplug(const std::shared_ptr<SimulatedIIDCCamera>& camera);
    // Every camera that captures sees a bus-reset event.
    void busReset();

    // Fault: dc1394_new gives no context while set.
    void setNewContextFails(bool fails);

    std::size_t contextsCreated() const;
    std::size_t openContextCount() const;
    std::size_t openHandleCount() const;
    std::size_t openCameraListCount() const;
    std::vector<RecordedIIDCCall> calls() const;
    std::size_t callCount(const std::string& function) const;
    void clearCalls();

    // Dotfield::IIDCBackend
    dc1394_t* newContext() override;
    void freeContext(dc1394_t* context) override;
    dc1394error_t silenceWarnings() override;
    dc1394error_t cameraEnumerate(dc1394_t* context, dc1394camera_list_t** list) override;
    void cameraFreeList(dc1394camera_list_t* list) override;
    dc1394camera_t* cameraNew(dc1394_t* context, std::uint64_t guid) override;
    void cameraFree(dc1394camera_t* camera) override;
    dc1394error_t cameraSetPower(dc1394camera_t* camera, dc1394switch_t power) override;
    dc1394error_t videoGetSupportedModes(dc1394camera_t* camera, dc1394video_modes_t* modes) override;
    dc1394error_t featureGetAll(dc1394camera_t* camera, dc1394featureset_t* features) override;
    dc1394error_t featureGetBoundaries(dc1394camera_t* camera, dc1394feature_t feature, std::uint32_t* min,
                                       std::uint32_t* max) override;
    dc1394error_t featureSetMode(dc1394camera_t* camera, dc1394feature_t feature,
                                 dc1394feature_mode_t mode) override;
    dc1394error_t featureGetValue(dc1394camera_t* camera, dc1394feature_t feature,
                                  std::uint32_t* value) override;
    dc1394error_t featureSetValue(dc1394camera_t* camera, dc1394feature_t feature,
                                  std::uint32_t value) override;
    dc1394error_t featureWhitebalanceGetValue(dc1394camera_t* camera, std::uint32_t* blue,
                                              std::uint32_t* red) override;
    dc1394error_t featureWhitebalanceSetValue(dc1394camera_t* camera, std::uint32_t blue,
                                              std::uint32_t red) override;
    dc1394error_t videoGetIsoSpeed(dc1394camera_t* camera, dc1394speed_t* speed) override;
    dc1394error_t videoSetIsoSpeed(dc1394camera_t* camera, dc1394speed_t speed) override;
    dc1394error_t videoGetFramerate(dc1394camera_t* camera, dc1394framerate_t* framerate) override;
    dc1394error_t videoSetFramerate(dc1394camera_t* camera, dc1394framerate_t framerate) override;
    dc1394error_t videoGetOperationMode(dc1394camera_t* camera, dc1394operation_mode_t* mode) override;
    dc1394error_t videoSetOperationMode(dc1394camera_t* camera, dc1394operation_mode_t mode) override;
    dc1394error_t videoGetMode(dc1394camera_t* camera, dc1394video_mode_t* mode) override;
    dc1394error_t videoSetMode(dc1394camera_t* camera, dc1394video_mode_t mode) override;
    dc1394error_t format7SetPacketSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                       std::uint32_t packetSize) override;
    dc1394error_t format7SetColorCoding(dc1394camera_t* camera, dc1394video_mode_t mode,
                                        dc1394color_coding_t coding) override;
    dc1394error_t format7SetImageSize(dc1394camera_t* camera, dc1394video_mode_t mode, std::uint32_t width,
                                      std::uint32_t height) override;
    dc1394error_t format7GetImageSize(dc1394camera_t* camera, dc1394video_mode_t mode, std::uint32_t* width,
                                      std::uint32_t* height) override;
    dc1394error_t format7GetRecommendedPacketSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                  std::uint32_t* packetSize) override;
    dc1394error_t format7SetRoi(dc1394camera_t* camera, dc1394video_mode_t mode, dc1394color_coding_t coding,
                                std::int32_t packetSize, std::int32_t left, std::int32_t top,
                                std::int32_t width, std::int32_t height) override;
    dc1394error_t getControlRegisters(dc1394camera_t* camera, std::uint64_t offset, std::uint32_t* values,
                                      std::uint32_t count) override;
    dc1394error_t setControlRegisters(dc1394camera_t* camera, std::uint64_t offset,
                                      const std::uint32_t* values, std::uint32_t count) override;
    dc1394error_t captureSetup(dc1394camera_t* camera, std::uint32_t bufferCount,
                               std::uint32_t flags) override;
    int captureGetFileno(dc1394camera_t* camera) override;
    dc1394error_t captureDequeue(dc1394camera_t* camera, dc1394capture_policy_t policy,
                                 dc1394video_frame_t** frame) override;
    dc1394error_t captureEnqueue(dc1394camera_t* camera, dc1394video_frame_t* frame) override;
    dc1394error_t captureStop(dc1394camera_t* camera) override;
    dc1394error_t videoSetTransmission(dc1394camera_t* camera, dc1394switch_t power) override;

  private:
    struct Context {}; // what a dc1394_t* of this bus points at
    struct Handle {
        dc1394camera_t record{};
        std::shared_ptr<SimulatedIIDCCamera> camera;
    };
    struct CameraList {
        dc1394camera_list_t list{};
        std::vector<dc1394camera_id_t> ids;
    };

    void record(std::string function, std::vector<std::int64_t> arguments = {});
    // The camera behind a handle this bus gave out; nullptr for any other pointer.
    std::shared_ptr<SimulatedIIDCCamera> cameraOf(dc1394camera_t* handle) const;
    // Records the call and runs it on the handle's camera, or answers
    // DC1394_CAMERA_NOT_INITIALIZED for a handle the bus does not know.
    template <typename Operation>
    dc1394error_t onCamera(dc1394camera_t* handle, std::string function, std::vector<std::int64_t> arguments,
                           Operation operation);

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<SimulatedIIDCCamera>> cameras_;
    std::map<const dc1394_t*, std::unique_ptr<Context>> contexts_;
    std::map<const dc1394camera_t*, std::unique_ptr<Handle>> handles_;
    std::map<const dc1394camera_list_t*, std::unique_ptr<CameraList>> lists_;
    std::size_t contextsCreated_ = 0;
    bool newContextFails_ = false;
    std::vector<RecordedIIDCCall> calls_;
};

} // namespace Simulators
