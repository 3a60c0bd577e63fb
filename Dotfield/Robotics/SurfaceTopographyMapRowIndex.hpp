#pragma once
// The map's index from a Y value to the row whose first point has that Y, so
// that adding a point costs the same however many rows there are. Open
// addressing over the bits of the Y: a map file of a million rows is read
// without a million separate allocations.

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Dotfield {

class SurfaceTopographyMapRowIndex {
  public:
    // The row recorded for exactly this Y (0.0 and -0.0 are one Y); never one for NaN.
    std::optional<std::size_t> find(double y) const {
        if (slots_.empty() || std::isnan(y)) {
            return std::nullopt;
        }
        const std::uint64_t key = keyOf(y);
        for (std::size_t i = slotOf(key);; i = (i + 1) & (slots_.size() - 1)) {
            const Slot& slot = slots_[i];
            if (slot.rowPlusOne == 0) {
                return std::nullopt;
            }
            if (slot.key == key) {
                return slot.rowPlusOne - 1;
            }
        }
    }

    // The row recorded for the Y; when there is none, records newRow for it
    // and answers nothing. A NaN Y is never recorded.
    std::optional<std::size_t> findOrAdd(double y, std::size_t newRow) {
        if (std::isnan(y)) {
            return std::nullopt;
        }
        if ((count_ + 1) * 2 > slots_.size()) {
            grow();
        }
        const std::uint64_t key = keyOf(y);
        for (std::size_t i = slotOf(key);; i = (i + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[i];
            if (slot.rowPlusOne == 0) {
                slot = {key, newRow + 1};
                ++count_;
                return std::nullopt;
            }
            if (slot.key == key) {
                return slot.rowPlusOne - 1;
            }
        }
    }

  private:
    struct Slot {
        std::uint64_t key = 0;
        std::size_t rowPlusOne = 0; // 0: the slot is free
    };

    static std::uint64_t keyOf(double y) { return std::bit_cast<std::uint64_t>(y == 0.0 ? 0.0 : y); }

    // The finaliser of splitmix64: every bit of the Y moves the slot.
    std::size_t slotOf(std::uint64_t key) const {
        key ^= key >> 30;
        key *= 0xbf58476d1ce4e5b9ULL;
        key ^= key >> 27;
        key *= 0x94d049bb133111ebULL;
        key ^= key >> 31;
        return static_cast<std::size_t>(key) & (slots_.size() - 1);
    }

    void grow() {
        std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
        old.swap(slots_);
        count_ = 0;
        for (const Slot& slot : old) {
            if (slot.rowPlusOne == 0) {
                continue;
            }
            std::size_t i = slotOf(slot.key);
            while (slots_[i].rowPlusOne != 0) {
                i = (i + 1) & (slots_.size() - 1);
            }
            slots_[i] = slot;
            ++count_;
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

} // namespace Dotfield
