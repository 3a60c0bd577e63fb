#pragma once
// How much printing one load of the dispenser still allows (µm of path). It
// is tracked only while the layer's well has a reload quantity of a distance
// or of spots (spots × feature width); an unlimited well, or a layer without
// a well, turns it off.

#include "Dotfield/Printing/SolutionWells/SolutionReloadQuantity.hpp"

namespace Dotfield {

class ReloadTracking {
  public:
    // A full load of the quantity.
    void start(const SolutionReloadQuantity& quantity, double featureWidth);
    void stop() { tracking_ = false; }
    bool tracking() const { return tracking_; }

    // Takes an item of the length from the load. Answers true when the load
    // does not hold it (or the length is no number): the dispenser must be
    // reloaded first, and the item is then taken from the fresh load.
    bool needsReloadFor(double length);

  private:
    bool tracking_ = false;
    double full_ = 0.0;
    double remaining_ = 0.0;
};

} // namespace Dotfield
