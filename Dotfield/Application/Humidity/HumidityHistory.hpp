#pragma once
// The readings the humidity graph shows: each displayed reading gets the next
// sample number, and only the latest 200 are kept, oldest first. Once the
// history is full the graph's x range starts at the oldest kept sample, so
// the window always shows the latest 200 with the y axis at its left edge.

#include <cstddef>
#include <deque>

namespace Dotfield {

class HumidityHistory {
  public:
    static constexpr std::size_t capacity = 200;

    struct Sample {
        long index;
        double humidity; // percent
    };

    // Records one displayed reading under the next sample number.
    void append(double humidity);

    const std::deque<Sample>& samples() const { return samples_; }
    // Where the graph's x range (of length 200) starts.
    long xRangeStart() const;

  private:
    std::deque<Sample> samples_;
    long nextIndex_ = 0;
};

} // namespace Dotfield
