#pragma once
// The camera seam bound to libdc1394 itself: each function is the libdc1394
// call of the same name.

#include "Dotfield/Camera/IIDC/IIDCBackend.hpp"

namespace Dotfield {

class LibDC1394Backend final : public IIDCBackend {
  public:
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
};

} // namespace Dotfield
