#pragma once
// What the world saw the instrument do, for tests and the simulated camera:
// each time the waveform generator drove the dispenser (a dispense or a
// spray: the wire does not tell them apart, except that a spray may sweep the
// frequency), and each time the UV relay was closed.

#include <chrono>
#include <optional>
#include <vector>

namespace Simulators {

struct WorldPoint {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    bool operator==(const WorldPoint&) const = default;
};

struct DispenserDriveRecord {
    struct FrequencyStep {
        std::chrono::nanoseconds from{0};
        double frequencyHz = 0.0;
    };

    std::chrono::nanoseconds start{0};
    // Until the drive stops: the time the record was read.
    std::chrono::nanoseconds end{0};
    bool finished = false;
    double voltage = 0.0; // volts
    // The drive frequency from each change on, in order; the first is the one
    // in force when the drive started.
    std::vector<FrequencyStep> frequencies;
    // Where the tip went while driven, from the start to the end; consecutive
    // points differ (a drive at rest has one point).
    std::vector<WorldPoint> tipPath;

    std::chrono::nanoseconds duration() const { return end - start; }
    // The frequency that was in force longest.
    double mainFrequencyHz() const;
};

struct UVExposureRecord {
    std::chrono::nanoseconds start{0};
    std::chrono::nanoseconds end{0}; // until opened: the time the record was read
    bool finished = false;

    std::chrono::nanoseconds duration() const { return end - start; }
};

} // namespace Simulators
