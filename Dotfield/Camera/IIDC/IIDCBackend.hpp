#pragma once
// The seam between the camera code and libdc1394: exactly the libdc1394 calls
// the camera makes, one virtual function each, with libdc1394's own types and
// status codes. Production binds it to libdc1394 (LibDC1394Backend); tests
// bind it to the simulated FireWire bus in simulators/camera.

#include <cstdint>

#include <dc1394/dc1394.h>

namespace Dotfield {

class IIDCBackend {
  public:
    virtual ~IIDCBackend() = default;

    // Library context and enumeration.
    virtual dc1394_t* newContext() = 0;              // dc1394_new
    virtual void freeContext(dc1394_t* context) = 0; // dc1394_free
    // dc1394_log_register_handler(DC1394_LOG_WARNING, no handler, no data).
    virtual dc1394error_t silenceWarnings() = 0;
    virtual dc1394error_t cameraEnumerate(dc1394_t* context, dc1394camera_list_t** list) = 0;
    virtual void cameraFreeList(dc1394camera_list_t* list) = 0;
    virtual dc1394camera_t* cameraNew(dc1394_t* context, std::uint64_t guid) = 0;
    virtual void cameraFree(dc1394camera_t* camera) = 0;
    virtual dc1394error_t cameraSetPower(dc1394camera_t* camera, dc1394switch_t power) = 0;
    virtual dc1394error_t videoGetSupportedModes(dc1394camera_t* camera, dc1394video_modes_t* modes) = 0;

    // Features.
    virtual dc1394error_t featureGetAll(dc1394camera_t* camera, dc1394featureset_t* features) = 0;
    virtual dc1394error_t featureGetBoundaries(dc1394camera_t* camera, dc1394feature_t feature,
                                               std::uint32_t* min, std::uint32_t* max) = 0;
    virtual dc1394error_t featureSetMode(dc1394camera_t* camera, dc1394feature_t feature,
                                         dc1394feature_mode_t mode) = 0;
    virtual dc1394error_t featureGetValue(dc1394camera_t* camera, dc1394feature_t feature,
                                          std::uint32_t* value) = 0;
    virtual dc1394error_t featureSetValue(dc1394camera_t* camera, dc1394feature_t feature,
                                          std::uint32_t value) = 0;
    virtual dc1394error_t featureWhitebalanceGetValue(dc1394camera_t* camera, std::uint32_t* blue,
                                                      std::uint32_t* red) = 0;
    virtual dc1394error_t featureWhitebalanceSetValue(dc1394camera_t* camera, std::uint32_t blue,
                                                      std::uint32_t red) = 0;

    // Stream settings.
    virtual dc1394error_t videoGetIsoSpeed(dc1394camera_t* camera, dc1394speed_t* speed) = 0;
    virtual dc1394error_t videoSetIsoSpeed(dc1394camera_t* camera, dc1394speed_t speed) = 0;
    virtual dc1394error_t videoGetFramerate(dc1394camera_t* camera, dc1394framerate_t* framerate) = 0;
    virtual dc1394error_t videoSetFramerate(dc1394camera_t* camera, dc1394framerate_t framerate) = 0;
    virtual dc1394error_t videoGetOperationMode(dc1394camera_t* camera, dc1394operation_mode_t* mode) = 0;
    virtual dc1394error_t videoSetOperationMode(dc1394camera_t* camera, dc1394operation_mode_t mode) = 0;
    virtual dc1394error_t videoGetMode(dc1394camera_t* camera, dc1394video_mode_t* mode) = 0;
    virtual dc1394error_t videoSetMode(dc1394camera_t* camera, dc1394video_mode_t mode) = 0;

    // Format 7.
    virtual dc1394error_t format7SetPacketSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                               std::uint32_t packetSize) = 0;
    virtual dc1394error_t format7SetColorCoding(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                dc1394color_coding_t coding) = 0;
    virtual dc1394error_t format7SetImageSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                              std::uint32_t width, std::uint32_t height) = 0;
    virtual dc1394error_t format7GetImageSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                              std::uint32_t* width, std::uint32_t* height) = 0;
    virtual dc1394error_t format7GetRecommendedPacketSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                          std::uint32_t* packetSize) = 0;
    virtual dc1394error_t format7SetRoi(dc1394camera_t* camera, dc1394video_mode_t mode,
                                        dc1394color_coding_t coding, std::int32_t packetSize,
                                        std::int32_t left, std::int32_t top, std::int32_t width,
                                        std::int32_t height) = 0;

    // Control registers, relative to the camera's command-register base.
    virtual dc1394error_t getControlRegisters(dc1394camera_t* camera, std::uint64_t offset,
                                              std::uint32_t* values, std::uint32_t count) = 0;
    virtual dc1394error_t setControlRegisters(dc1394camera_t* camera, std::uint64_t offset,
                                              const std::uint32_t* values, std::uint32_t count) = 0;

    // Capture.
    virtual dc1394error_t captureSetup(dc1394camera_t* camera, std::uint32_t bufferCount,
                                       std::uint32_t flags) = 0;
    // A descriptor that polls readable while frames wait; valid until captureStop.
    virtual int captureGetFileno(dc1394camera_t* camera) = 0;
    virtual dc1394error_t captureDequeue(dc1394camera_t* camera, dc1394capture_policy_t policy,
                                         dc1394video_frame_t** frame) = 0;
    virtual dc1394error_t captureEnqueue(dc1394camera_t* camera, dc1394video_frame_t* frame) = 0;
    virtual dc1394error_t captureStop(dc1394camera_t* camera) = 0;
    virtual dc1394error_t videoSetTransmission(dc1394camera_t* camera, dc1394switch_t power) = 0;
};

} // namespace Dotfield
