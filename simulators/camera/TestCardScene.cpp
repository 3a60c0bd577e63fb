#include "simulators/camera/CameraScene.hpp"

#include <array>

namespace Simulators {

std::vector<SceneColor> TestCardScene::render(std::uint32_t width, std::uint32_t height) const {
    static constexpr std::array<SceneColor, 8> bars{
        {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}}};
    std::vector<SceneColor> pixels(static_cast<std::size_t>(width) * height);
    const std::uint32_t barRows = height * 2 / 3;
    for (std::uint32_t y = 0; y < height; ++y) {
        SceneColor* row = pixels.data() + static_cast<std::size_t>(y) * width;
        for (std::uint32_t x = 0; x < width; ++x) {
            if (y < barRows) {
                row[x] = bars[static_cast<std::size_t>(x) * bars.size() / width];
            } else {
                const float level = width > 1 ? static_cast<float>(x) / static_cast<float>(width - 1) : 0.0F;
                row[x] = {level, level, level};
            }
        }
    }
    return pixels;
}

} // namespace Simulators
