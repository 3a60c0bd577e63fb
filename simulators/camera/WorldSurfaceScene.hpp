#pragma once
// The surface under the dispenser tip as the instrument's camera sees it,
// looking straight down beside the tip: the substrate, and a dark spot where
// the dispenser was driven (a stroke where the tip moved while it was driven).
// The view is centred on the tip's X and Y; world Y grows towards the top of
// the image.

#include <memory>

#include "simulators/camera/CameraScene.hpp"
#include "simulators/instrument/World/InstrumentWorld.hpp"

namespace Simulators {

class WorldSurfaceScene final : public CameraScene {
  public:
    explicit WorldSurfaceScene(std::shared_ptr<InstrumentWorld> world, double micronsPerPixel = 1.5);

    std::vector<SceneColor> render(std::uint32_t width, std::uint32_t height) const override;
    // The tip's X and Y, the number of drives, and the size of the last
    // drive's spot and path, which grow while it runs: the picture changes
    // with nothing else.
    std::vector<double> state() const override;

    // The radius of the spot one drive leaves, µm: larger for a longer or
    // stronger drive.
    static double spotRadius(const DispenserDriveRecord& drive);

  private:
    std::shared_ptr<InstrumentWorld> world_;
    double micronsPerPixel_;
};

} // namespace Simulators
