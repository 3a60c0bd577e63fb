#pragma once
// The topography window's settings: the grid to map (extent and spacing in X
// and Y, µm), the retraction distance (kept and shown, not used by the
// mapping) and whether printing corrects heights by the map. Each value is
// read from the settings store at creation (its default when the key is
// missing) and stored again at every change.

#include <memory>

#include "Dotfield/Robotics/TopographyGrid.hpp"

namespace Dotfield {

class UserDefaults;

struct TopographyGridExtent {
    double distanceInX = 10000.0;
    double distanceInY = 10000.0;
    double stepSizeInX = 1000.0;
    double stepSizeInY = 1000.0;

    // The grid's points per row and rows; throws std::invalid_argument for a
    // grid that cannot be mapped (see topographyGridSize).
    TopographyGridSize size() const;
};

class TopographyMappingSettings {
  public:
    static constexpr const char* distanceInXKey = "distanceToMapTopographyInX";
    static constexpr const char* distanceInYKey = "distanceToMapTopographyInY";
    static constexpr const char* stepSizeInXKey = "stepSizeToMapTopographyInX";
    static constexpr const char* stepSizeInYKey = "stepSizeToMapTopographyInY";
    static constexpr const char* distanceToRetractKey = "distanceToRetractFromSurfaceWhenMappingTopography";
    static constexpr const char* shouldCorrectKey = "shouldCorrectBasedOnTopographyMap";

    explicit TopographyMappingSettings(std::shared_ptr<UserDefaults> userDefaults);

    const TopographyGridExtent& grid() const { return grid_; }
    double distanceToRetract() const { return distanceToRetract_; }
    bool shouldCorrectBasedOnTopographyMap() const { return shouldCorrect_; }

    void setDistanceToMapTopographyInX(double value);
    void setDistanceToMapTopographyInY(double value);
    void setStepSizeToMapTopographyInX(double value);
    void setStepSizeToMapTopographyInY(double value);
    void setDistanceToRetract(double value);
    void setShouldCorrectBasedOnTopographyMap(bool value);

  private:
    const std::shared_ptr<UserDefaults> userDefaults_;
    TopographyGridExtent grid_;
    double distanceToRetract_ = 200.0;
    bool shouldCorrect_ = true;
};

} // namespace Dotfield
