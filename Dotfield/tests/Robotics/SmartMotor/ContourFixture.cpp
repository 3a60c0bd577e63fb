#include "Dotfield/tests/Robotics/SmartMotor/ContourFixture.hpp"

#include <algorithm>

namespace Dotfield::testing {

ContourFixture::ContourFixture(std::string model) : SmartMotorFixture(std::move(model)) {
    options = Testing::SimulatedInstrumentBuilder(this->model)
                  .worldRate(contourWorldRate)
                  .start({0.0, 0.0, 0.0})
                  .withoutSurface()
                  .options();
}

void ContourFixture::SetUp() {
    SmartMotorFixture::SetUp();
    connect();
    robot->readAndStoreCurrentPosition();
    bus->clearTranscript();
}

std::vector<std::int64_t> ContourFixture::itemsTo(int motor, const std::string& kind) const {
    std::vector<std::int64_t> values;
    for (const Command& command : commandsTo(motor)) {
        if (command.command == kind) {
            values.push_back(command.value.value_or(0));
        }
    }
    return values;
}

std::vector<Robot::Coordinate> ContourFixture::streamedPoints() const {
    std::vector<std::int64_t> counts[3];
    std::size_t points = 0;
    for (int motor = 0; motor < 3; ++motor) {
        counts[motor] = itemsTo(motor, "position");
        if (!counts[motor].empty()) {
            counts[motor].pop_back(); // the closing repeat
        }
        points = std::max(points, counts[motor].size());
    }
    const bool older = bus->generation() == Bus::Generation::older;
    const double k = older ? 5.0 : 2.5;
    std::vector<Robot::Coordinate> result;
    for (std::size_t i = 0; i < points; ++i) {
        const auto count = [&](int motor) {
            return i < counts[motor].size() ? static_cast<double>(counts[motor][i]) : 0.0;
        };
        const double z = older ? (20800.0 - count(2)) * k : (count(2) + 43700.0) * k;
        result.push_back({count(0) * k, -count(1) * k, counts[2].empty() ? 0.0 : z});
    }
    return result;
}

bool ContourFixture::sentAfterTheLastPosition(const Command& command) const {
    const auto transcript = bus->transcript();
    const auto last = std::find_if(transcript.rbegin(), transcript.rend(),
                                   [](const Command& c) { return c.command == "position"; });
    return std::find(transcript.rbegin(), last, command) != last;
}

} // namespace Dotfield::testing
