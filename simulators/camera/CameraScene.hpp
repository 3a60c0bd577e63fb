#pragma once
// What the simulated camera looks at: a scene gives the light of each pixel of
// an image of the requested size, before the camera's exposure, gain and other
// features act on it.

#include <cstdint>
#include <vector>

namespace Simulators {

// Linear light of one pixel, each channel 0 (dark) to 1 (the white the camera
// shows at its default settings).
struct SceneColor {
    float red = 0.0F;
    float green = 0.0F;
    float blue = 0.0F;
};

class CameraScene {
  public:
    virtual ~CameraScene() = default;
    // Row by row, width x height pixels.
    virtual std::vector<SceneColor> render(std::uint32_t width, std::uint32_t height) const = 0;
    // What the scene shows now, as numbers that differ whenever its picture
    // would: the camera renders the scene again only when this changed (or
    // the frame's size or the camera's settings did), and otherwise reuses
    // its last frame. A still scene keeps the default, which never changes.
    virtual std::vector<double> state() const { return {}; }
};

// A test card: eight colour bars (white, yellow, cyan, green, magenta, red,
// blue, black) over the upper two thirds, a grey ramp from black to white
// below them.
class TestCardScene final : public CameraScene {
  public:
    std::vector<SceneColor> render(std::uint32_t width, std::uint32_t height) const override;
};

} // namespace Simulators
