#include "Dotfield/Camera/IIDC/LibDC1394Backend.hpp"

namespace Dotfield {

dc1394_t* LibDC1394Backend::newContext() {
    return dc1394_new();
}

void LibDC1394Backend::freeContext(dc1394_t* context) {
    dc1394_free(context);
}

dc1394error_t LibDC1394Backend::silenceWarnings() {
    return dc1394_log_register_handler(DC1394_LOG_WARNING, nullptr, nullptr);
}

dc1394error_t LibDC1394Backend::cameraEnumerate(dc1394_t* context, dc1394camera_list_t** list) {
    return dc1394_camera_enumerate(context, list);
}

void LibDC1394Backend::cameraFreeList(dc1394camera_list_t* list) {
    dc1394_camera_free_list(list);
}

dc1394camera_t* LibDC1394Backend::cameraNew(dc1394_t* context, std::uint64_t guid) {
    return dc1394_camera_new(context, guid);
}

void LibDC1394Backend::cameraFree(dc1394camera_t* camera) {
    dc1394_camera_free(camera);
}

dc1394error_t LibDC1394Backend::cameraSetPower(dc1394camera_t* camera, dc1394switch_t power) {
    return dc1394_camera_set_power(camera, power);
}

dc1394error_t LibDC1394Backend::videoGetSupportedModes(dc1394camera_t* camera, dc1394video_modes_t* modes) {
    return dc1394_video_get_supported_modes(camera, modes);
}

dc1394error_t LibDC1394Backend::featureGetAll(dc1394camera_t* camera, dc1394featureset_t* features) {
    return dc1394_feature_get_all(camera, features);
}

dc1394error_t LibDC1394Backend::featureGetBoundaries(dc1394camera_t* camera, dc1394feature_t feature,
                                                     std::uint32_t* min, std::uint32_t* max) {
    return dc1394_feature_get_boundaries(camera, feature, min, max);
}

dc1394error_t LibDC1394Backend::featureSetMode(dc1394camera_t* camera, dc1394feature_t feature,
                                               dc1394feature_mode_t mode) {
    return dc1394_feature_set_mode(camera, feature, mode);
}

dc1394error_t LibDC1394Backend::featureGetValue(dc1394camera_t* camera, dc1394feature_t feature,
                                                std::uint32_t* value) {
    return dc1394_feature_get_value(camera, feature, value);
}

dc1394error_t LibDC1394Backend::featureSetValue(dc1394camera_t* camera, dc1394feature_t feature,
                                                std::uint32_t value) {
    return dc1394_feature_set_value(camera, feature, value);
}

dc1394error_t LibDC1394Backend::featureWhitebalanceGetValue(dc1394camera_t* camera, std::uint32_t* blue,
                                                            std::uint32_t* red) {
    return dc1394_feature_whitebalance_get_value(camera, blue, red);
}

dc1394error_t LibDC1394Backend::featureWhitebalanceSetValue(dc1394camera_t* camera, std::uint32_t blue,
                                                            std::uint32_t red) {
    return dc1394_feature_whitebalance_set_value(camera, blue, red);
}

dc1394error_t LibDC1394Backend::videoGetIsoSpeed(dc1394camera_t* camera, dc1394speed_t* speed) {
    return dc1394_video_get_iso_speed(camera, speed);
}

dc1394error_t LibDC1394Backend::videoSetIsoSpeed(dc1394camera_t* camera, dc1394speed_t speed) {
    return dc1394_video_set_iso_speed(camera, speed);
}

dc1394error_t LibDC1394Backend::videoGetFramerate(dc1394camera_t* camera, dc1394framerate_t* framerate) {
    return dc1394_video_get_framerate(camera, framerate);
}

dc1394error_t LibDC1394Backend::videoSetFramerate(dc1394camera_t* camera, dc1394framerate_t framerate) {
    return dc1394_video_set_framerate(camera, framerate);
}

dc1394error_t LibDC1394Backend::videoGetOperationMode(dc1394camera_t* camera, dc1394operation_mode_t* mode) {
    return dc1394_video_get_operation_mode(camera, mode);
}

dc1394error_t LibDC1394Backend::videoSetOperationMode(dc1394camera_t* camera, dc1394operation_mode_t mode) {
    return dc1394_video_set_operation_mode(camera, mode);
}

dc1394error_t LibDC1394Backend::videoGetMode(dc1394camera_t* camera, dc1394video_mode_t* mode) {
    return dc1394_video_get_mode(camera, mode);
}

dc1394error_t LibDC1394Backend::videoSetMode(dc1394camera_t* camera, dc1394video_mode_t mode) {
    return dc1394_video_set_mode(camera, mode);
}

dc1394error_t LibDC1394Backend::format7SetPacketSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                     std::uint32_t packetSize) {
    return dc1394_format7_set_packet_size(camera, mode, packetSize);
}

dc1394error_t LibDC1394Backend::format7SetColorCoding(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                      dc1394color_coding_t coding) {
    return dc1394_format7_set_color_coding(camera, mode, coding);
}

dc1394error_t LibDC1394Backend::format7SetImageSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                    std::uint32_t width, std::uint32_t height) {
    return dc1394_format7_set_image_size(camera, mode, width, height);
}

dc1394error_t LibDC1394Backend::format7GetImageSize(dc1394camera_t* camera, dc1394video_mode_t mode,
                                                    std::uint32_t* width, std::uint32_t* height) {
    return dc1394_format7_get_image_size(camera, mode, width, height);
}

dc1394error_t LibDC1394Backend::format7GetRecommendedPacketSize(dc1394camera_t* camera,
                                                                dc1394video_mode_t mode,
                                                                std::uint32_t* packetSize) {
    return dc1394_format7_get_recommended_packet_size(camera, mode, packetSize);
}

dc1394error_t LibDC1394Backend::format7SetRoi(dc1394camera_t* camera, dc1394video_mode_t mode,
                                              dc1394color_coding_t coding, std::int32_t packetSize,
                                              std::int32_t left, std::int32_t top, std::int32_t width,
                                              std::int32_t height) {
    return dc1394_format7_set_roi(camera, mode, coding, packetSize, left, top, width, height);
}

dc1394error_t LibDC1394Backend::getControlRegisters(dc1394camera_t* camera, std::uint64_t offset,
                                                    std::uint32_t* values, std::uint32_t count) {
    return dc1394_get_control_registers(camera, offset, values, count);
}

dc1394error_t LibDC1394Backend::setControlRegisters(dc1394camera_t* camera, std::uint64_t offset,
                                                    const std::uint32_t* values, std::uint32_t count) {
    return dc1394_set_control_registers(camera, offset, values, count);
}

dc1394error_t LibDC1394Backend::captureSetup(dc1394camera_t* camera, std::uint32_t bufferCount,
                                             std::uint32_t flags) {
    return dc1394_capture_setup(camera, bufferCount, flags);
}

int LibDC1394Backend::captureGetFileno(dc1394camera_t* camera) {
    return dc1394_capture_get_fileno(camera);
}

dc1394error_t LibDC1394Backend::captureDequeue(dc1394camera_t* camera, dc1394capture_policy_t policy,
                                               dc1394video_frame_t** frame) {
    return dc1394_capture_dequeue(camera, policy, frame);
}

dc1394error_t LibDC1394Backend::captureEnqueue(dc1394camera_t* camera, dc1394video_frame_t* frame) {
    return dc1394_capture_enqueue(camera, frame);
}

dc1394error_t LibDC1394Backend::captureStop(dc1394camera_t* camera) {
    return dc1394_capture_stop(camera);
}

dc1394error_t LibDC1394Backend::videoSetTransmission(dc1394camera_t* camera, dc1394switch_t power) {
    return dc1394_video_set_transmission(camera, power);
}

} // namespace Dotfield
