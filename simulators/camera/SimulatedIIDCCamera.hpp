#pragma once
// One simulated IIDC camera on the simulated FireWire bus: power, features
// with their modes (auto steers a value to the middle of its range and holds it), video modes, format-7 geometry,
// control registers, transmission, and a capture ring of the requested number
// of buffers that frames fill at the frame rate (on a thread of the camera's
// own) or when the test says. Frames are rendered from a scene in the current
// colour coding with seeded noise. While frames wait (or a bus-reset event
// does), the capture descriptor polls readable; unplugging hangs it up.
//
// The bus (SimulatedIIDCBus) calls the libdc1394-shaped operations; tests use
// the controls and observations below them.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include <dc1394/dc1394.h>

#include "simulators/camera/CameraScene.hpp"
#include "simulators/camera/FrameRendering.hpp"
#include "simulators/camera/SimulatedCameraProfile.hpp"

namespace Simulators {

class SimulatedIIDCCamera {
  public:
    explicit SimulatedIIDCCamera(SimulatedCameraProfile profile,
                                 std::shared_ptr<CameraScene> scene = std::make_shared<TestCardScene>());
    ~SimulatedIIDCCamera();
    SimulatedIIDCCamera(const SimulatedIIDCCamera&) = delete;
    SimulatedIIDCCamera& operator=(const SimulatedIIDCCamera&) = delete;

    std::uint64_t guid() const { return guid_; }
    std::uint16_t unit() const { return unit_; }

    // --- Controls for tests and demonstrations ---
    void setScene(std::shared_ptr<CameraScene> scene);
    // Noise of at most the amplitude on every byte, seeded per frame from the
    // seed and the frame's sequence number modulo 8 (so a still picture
    // cycles through eight noisy frames). Default: amplitude 2, seed 1.
    void setNoise(int amplitude, std::uint64_t seed);
    // On: frames come at the frame rate on the camera's own thread. Off (the
    // default): only emitFrames makes frames.
    void setRealTime(bool on);
    // Makes frames now, as far as the camera streams (powered, transmitting,
    // capture set up, not frozen, plugged in); a frame that finds the ring
    // full is dropped. Returns the frames put into the ring.
    std::size_t emitFrames(std::size_t count);
    // Faults.
    void setFrozen(bool frozen);
    void setDequeueFails(bool fails);
    void setFeatureGetAllFails(bool fails);
    void setCaptureSetupFails(bool fails);
    // The descriptor hangs up and every call fails from now on.
    void unplug();
    // A bus-reset event: the descriptor polls readable once without a frame.
    void busReset();

    // --- Observations ---
    bool isPluggedIn() const;
    bool isPowered() const;
    bool isTransmitting() const;
    bool isCaptureSetUp() const;
    std::size_t buffersHeldByHost() const;
    std::size_t framesWaiting() const;
    std::uint64_t framesEmitted() const;
    std::uint64_t framesDropped() const;
    dc1394feature_mode_t featureMode(dc1394feature_t feature) const;
    std::uint32_t featureValue(dc1394feature_t feature) const;
    std::optional<std::uint32_t> controlRegister(std::uint64_t offset) const;
    dc1394video_mode_t videoMode() const;
    std::pair<std::uint32_t, std::uint32_t> imageSize() const;
    std::uint32_t format7PacketSize() const;
    // The bytes of one of the last frames put into the ring, by sequence
    // number (the first frame is 1); absent when it is no longer kept.
    std::optional<std::vector<std::uint8_t>> frameBytes(std::uint64_t sequence) const;

    // --- The libdc1394 operations, as the bus hands them on ---
    dc1394error_t setPower(dc1394switch_t power);
    dc1394error_t supportedModes(dc1394video_modes_t* modes);
    dc1394error_t featureGetAll(dc1394featureset_t* features);
    dc1394error_t featureBoundaries(dc1394feature_t feature, std::uint32_t* min, std::uint32_t* max);
    dc1394error_t featureSetMode(dc1394feature_t feature, dc1394feature_mode_t mode);
    dc1394error_t featureGetValue(dc1394feature_t feature, std::uint32_t* value);
    dc1394error_t featureSetValue(dc1394feature_t feature, std::uint32_t value);
    dc1394error_t whiteBalance(std::uint32_t* blue, std::uint32_t* red);
    dc1394error_t setWhiteBalance(std::uint32_t blue, std::uint32_t red);
    dc1394error_t getIsoSpeed(dc1394speed_t* speed);
    dc1394error_t setIsoSpeed(dc1394speed_t speed);
    dc1394error_t getFramerate(dc1394framerate_t* framerate);
    dc1394error_t setFramerate(dc1394framerate_t framerate);
    dc1394error_t getOperationMode(dc1394operation_mode_t* mode);
    dc1394error_t setOperationMode(dc1394operation_mode_t mode);
    dc1394error_t getVideoMode(dc1394video_mode_t* mode);
    dc1394error_t setVideoMode(dc1394video_mode_t mode);
    dc1394error_t format7SetPacketSize(dc1394video_mode_t mode, std::uint32_t packetSize);
    dc1394error_t format7SetColorCoding(dc1394video_mode_t mode, dc1394color_coding_t coding);
    dc1394error_t format7SetImageSize(dc1394video_mode_t mode, std::uint32_t width, std::uint32_t height);
    dc1394error_t format7GetImageSize(dc1394video_mode_t mode, std::uint32_t* width, std::uint32_t* height);
    dc1394error_t format7RecommendedPacketSize(dc1394video_mode_t mode, std::uint32_t* packetSize);
    dc1394error_t format7SetRoi(dc1394video_mode_t mode, dc1394color_coding_t coding, std::int32_t packetSize,
                                std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    dc1394error_t getControlRegisters(std::uint64_t offset, std::uint32_t* values, std::uint32_t count);
    dc1394error_t setControlRegisters(std::uint64_t offset, const std::uint32_t* values, std::uint32_t count);
    dc1394error_t captureSetup(dc1394camera_t* handle, std::uint32_t bufferCount, std::uint32_t flags);
    int captureFileno();
    dc1394error_t captureDequeue(dc1394capture_policy_t policy, dc1394video_frame_t** frame);
    dc1394error_t captureEnqueue(dc1394video_frame_t* frame);
    // Releases the ring and closes the descriptor, also after an unplug.
    dc1394error_t captureStop();
    dc1394error_t setTransmission(dc1394switch_t power);
    // A handle of this camera is freed: capture it set up ends with it.
    void handleFreed(dc1394camera_t* handle);

  private:
    enum class BufferState { free, waiting, held };
    using FrameBytes = std::shared_ptr<const std::vector<std::uint8_t>>;
    struct Buffer {
        dc1394video_frame_t frame{};
        // Shared with the rendered frame it shows; the host only reads it.
        FrameBytes bytes;
        BufferState state = BufferState::free;
    };
    struct Geometry {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        dc1394color_coding_t coding = DC1394_COLOR_CODING_YUV422;
    };

    // Runs the operation under the lock when the camera is plugged in, else
    // answers DC1394_FAILURE; withFormat7 also wants format-7 mode 0 offered.
    template <typename Operation> dc1394error_t whilePluggedIn(Operation operation);
    template <typename Operation> dc1394error_t withFormat7(dc1394video_mode_t mode, Operation operation);
    SimulatedFeature* featureLocked(dc1394feature_t feature);
    const SimulatedFeature* featureLocked(dc1394feature_t feature) const;
    Geometry geometryLocked() const;
    SensorSettings sensorSettingsLocked() const;
    bool streamingLocked() const;
    bool format7RegionFitsLocked(std::uint32_t left, std::uint32_t top, std::uint32_t width,
                                 std::uint32_t height) const;
    bool emitFrameLocked();
    void updateReadableLocked();
    void releaseCaptureLocked();
    void runRealTime();

    const std::uint64_t guid_;
    const std::uint16_t unit_;

    mutable std::mutex mutex_;
    SimulatedCameraProfile profile_;
    std::shared_ptr<CameraScene> scene_;
    int noiseAmplitude_ = 2;
    std::uint64_t noiseSeed_ = 1;
    bool plugged_ = true;
    bool powered_ = false;
    bool transmitting_ = false;
    bool frozen_ = false;
    bool dequeueFails_ = false;
    bool featureGetAllFails_ = false;
    bool captureSetupFails_ = false;
    dc1394video_mode_t mode_;
    dc1394framerate_t framerate_;
    dc1394speed_t isoSpeed_;
    dc1394operation_mode_t operationMode_;
    std::uint32_t format7Left_ = 0;
    std::uint32_t format7Top_ = 0;
    std::uint32_t format7PacketSize_ = 0;

    // Capture.
    dc1394camera_t* captureHandle_ = nullptr;
    std::vector<Buffer> ring_;
    std::deque<std::size_t> waiting_;
    int readFd_ = -1;
    int writeFd_ = -1;
    bool readable_ = false;
    bool busResetPending_ = false;
    std::uint64_t emitted_ = 0;
    std::uint64_t dropped_ = 0;
    std::deque<std::pair<std::uint64_t, FrameBytes>> recentFrames_;

    // The clean frame for the current geometry, settings and scene, before
    // noise, and the frames made of it with each of a few noise patterns,
    // made when first sent: while nothing changes, frames cycle through them
    // and cost no rendering and no copy.
    static constexpr std::size_t noisePatterns = 8;
    struct RenderedBase {
        Geometry geometry;
        SensorSettings settings;
        const CameraScene* scene = nullptr;
        std::vector<double> sceneState;
        std::vector<std::uint8_t> bytes;
        std::array<FrameBytes, noisePatterns> noisy{};
    };
    std::optional<RenderedBase> base_;

    // The real-time frame thread.
    std::condition_variable realTimeChanged_;
    bool realTime_ = false;
    bool stopping_ = false;
    std::thread realTimeThread_;
};

} // namespace Simulators
