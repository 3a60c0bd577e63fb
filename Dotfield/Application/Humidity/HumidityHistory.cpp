#include "Dotfield/Application/Humidity/HumidityHistory.hpp"

namespace Dotfield {

void HumidityHistory::append(double humidity) {
    samples_.push_back({nextIndex_++, humidity});
    if (samples_.size() > capacity) {
        samples_.pop_front();
    }
}

long HumidityHistory::xRangeStart() const {
    return samples_.size() >= capacity ? samples_.front().index : 0;
}

} // namespace Dotfield
