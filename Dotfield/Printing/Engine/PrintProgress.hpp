#pragma once
// How far a print has come: the items of the whole pattern, enabled or not,
// and those done, counted from the items before the starting item.

#include <cstddef>

namespace Dotfield {

class PrintProgress {
  public:
    PrintProgress(std::size_t total, std::size_t done) : total_(total), done_(done) {}

    // (done + fraction) × 100 / total; 100 for a pattern without items.
    double percent(double fractionOfItem = 0.0) const;
    void itemDone() { ++done_; }

  private:
    std::size_t total_;
    std::size_t done_;
};

} // namespace Dotfield
