#include "simulators/camera/WorldSurfaceScene.hpp"

#include <algorithm>
#include <cmath>

namespace Simulators {

namespace {

constexpr SceneColor substrate{0.55F, 0.55F, 0.5F};
constexpr SceneColor printed{0.15F, 0.2F, 0.35F};

double distanceToSegment(double x, double y, const WorldPoint& a, const WorldPoint& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0.0 ? ((x - a.x) * dx + (y - a.y) * dy) / lengthSquared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

} // namespace

WorldSurfaceScene::WorldSurfaceScene(std::shared_ptr<InstrumentWorld> world, double micronsPerPixel)
    : world_(std::move(world)),
      micronsPerPixel_(std::isfinite(micronsPerPixel) && micronsPerPixel > 0.0 ? micronsPerPixel : 1.5) {}

double WorldSurfaceScene::spotRadius(const DispenserDriveRecord& drive) {
    const double milliseconds = std::chrono::duration<double, std::milli>(drive.duration()).count();
    const double strength = std::max(0.0, milliseconds) * std::max(0.0, drive.voltage);
    return std::min(20.0 * std::cbrt(1.0 + strength / 100.0), 500.0);
}

std::vector<double> WorldSurfaceScene::state() const {
    const WorldPoint tip = world_->tipPosition();
    const InstrumentWorld::LatestDispenserDrive drives = world_->latestDispenserDrive();
    std::vector<double> state{tip.x, tip.y, static_cast<double>(drives.count)};
    if (drives.last) {
        state.push_back(spotRadius(*drives.last));
        state.push_back(static_cast<double>(drives.last->tipPath.size()));
    }
    return state;
}

std::vector<SceneColor> WorldSurfaceScene::render(std::uint32_t width, std::uint32_t height) const {
    std::vector<SceneColor> pixels(static_cast<std::size_t>(width) * height, substrate);
    const WorldPoint tip = world_->tipPosition();
    const double scale = micronsPerPixel_;
    // World position of a pixel's centre, and the pixel of a world position.
    const auto worldX = [&](std::int64_t column) { return tip.x + (column + 0.5 - width / 2.0) * scale; };
    const auto worldY = [&](std::int64_t row) { return tip.y - (row + 0.5 - height / 2.0) * scale; };
    const auto column = [&](double x) { return std::floor((x - tip.x) / scale + width / 2.0); };
    const auto row = [&](double y) { return std::floor((tip.y - y) / scale + height / 2.0); };

    // Each stroke touches only the pixels of its bounding box.
    const auto stroke = [&](const WorldPoint& a, const WorldPoint& b, double radius) {
        const auto clampColumn = [&](double c) {
            return static_cast<std::int64_t>(std::clamp(c, 0.0, double(width)));
        };
        const auto clampRow = [&](double r) {
            return static_cast<std::int64_t>(std::clamp(r, 0.0, double(height)));
        };
        const std::int64_t left = clampColumn(column(std::min(a.x, b.x) - radius));
        const std::int64_t right = clampColumn(column(std::max(a.x, b.x) + radius) + 1);
        const std::int64_t top = clampRow(row(std::max(a.y, b.y) + radius));
        const std::int64_t bottom = clampRow(row(std::min(a.y, b.y) - radius) + 1);
        for (std::int64_t r = top; r < bottom; ++r) {
            for (std::int64_t c = left; c < right; ++c) {
                if (distanceToSegment(worldX(c), worldY(r), a, b) <= radius) {
                    pixels[static_cast<std::size_t>(r) * width + static_cast<std::size_t>(c)] = printed;
                }
            }
        }
    };
    for (const DispenserDriveRecord& drive : world_->dispenserDrives()) {
        if (drive.tipPath.empty()) {
            continue;
        }
        const double radius = spotRadius(drive);
        if (drive.tipPath.size() == 1) {
            stroke(drive.tipPath.front(), drive.tipPath.front(), radius);
        }
        for (std::size_t i = 1; i < drive.tipPath.size(); ++i) {
            stroke(drive.tipPath[i - 1], drive.tipPath[i], radius);
        }
    }
    return pixels;
}

} // namespace Simulators
