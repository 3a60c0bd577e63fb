#pragma once
// The humidity band the operator sets: "minHumidity" and "maxHumidity" in
// percent, read from the settings store once and stored at every change.
// The two never stay closer than 0.5 points: a limit pushed into the other
// moves the other to 1.0 away. The minimum takes 0 to 99 and the maximum 1
// to 100, so the limit moved along stays within 0 to 100; other values are
// refused and the band stays as it was.

#include <memory>

namespace Dotfield {

class UserDefaults;

class HumidityLimits {
  public:
    static constexpr double defaultMinimum = 0.0;
    static constexpr double defaultMaximum = 85.0;

    explicit HumidityLimits(std::shared_ptr<UserDefaults> userDefaults);

    double minHumidity() const { return minHumidity_; }
    double maxHumidity() const { return maxHumidity_; }

    // False when the value is refused.
    bool setMinHumidity(double minHumidity);
    bool setMaxHumidity(double maxHumidity);

  private:
    void storeMinimum(double minHumidity);
    void storeMaximum(double maxHumidity);

    const std::shared_ptr<UserDefaults> userDefaults_;
    double minHumidity_;
    double maxHumidity_;
};

} // namespace Dotfield
