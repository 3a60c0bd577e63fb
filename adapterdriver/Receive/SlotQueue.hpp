#pragma once
// A first-in first-out queue of receive slots with room for all of a
// handle's slots, so that handing slots between the receive threads never
// allocates.

#include <array>
#include <cstddef>

namespace adapterdriver {

template <typename Slot, std::size_t Capacity> class SlotQueue {
  public:
    bool empty() const { return count_ == 0; }

    // Callers never hold more slots than there are.
    void push(Slot* slot) {
        entries_[(first_ + count_) % Capacity] = slot;
        ++count_;
    }

    // Puts a slot back at the head, to be taken again first.
    void pushFront(Slot* slot) {
        first_ = (first_ + Capacity - 1) % Capacity;
        entries_[first_] = slot;
        ++count_;
    }

    Slot* pop() {
        Slot* slot = entries_[first_];
        first_ = (first_ + 1) % Capacity;
        --count_;
        return slot;
    }

    void clear() {
        first_ = 0;
        count_ = 0;
    }

  private:
    std::array<Slot*, Capacity> entries_{};
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};

} // namespace adapterdriver
