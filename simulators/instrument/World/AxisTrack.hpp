#pragma once
// One axis following timed points: from a start it runs in a straight line
// of position over time to each point in turn, reaching it at its time, and
// stands at the last one. A point not later than the one before is reached
// at once. Times are world nanoseconds, positions microns.

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace Simulators {

class AxisTrack {
  public:
    struct Sample {
        std::int64_t ns = 0;
        double position = 0.0;
    };
    // Where the axis must stop: the time and the position.
    struct Stop {
        std::int64_t ns = 0;
        double position = 0.0;
    };

    AxisTrack() = default;
    // From the start through the points after its time (earlier ones are
    // passed over).
    AxisTrack(Sample start, const std::vector<Sample>& points);

    const std::vector<Sample>& samples() const { return samples_; }
    std::int64_t endNs() const { return samples_.empty() ? 0 : samples_.back().ns; }
    double endPosition() const { return samples_.empty() ? 0.0 : samples_.back().position; }
    double positionAt(std::int64_t ns) const;

    // The first place from ns on where the track goes below low, above high
    // or into one of the blocked ranges [from, to]; an axis already beyond a
    // limit and heading further out stops at once.
    std::optional<Stop> firstStop(std::int64_t ns, double low, double high,
                                  std::span<const std::pair<double, double>> blocked) const;
    // The track ends at the stop.
    void endAt(const Stop& stop);

  private:
    std::vector<Sample> samples_;
};

} // namespace Simulators
