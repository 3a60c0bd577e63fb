#pragma once
// Frame buffers that are used again instead of allocated for every frame.
// A stage takes a buffer, fills it and hands it on inside a frame; when the
// last holder of that frame lets go (a view, a recording's queue, the next
// stage), the buffer goes back to the pool it came from, and the next frame
// of the same size is written into it without a new allocation.
//
// Buffers may be let go on any thread; the pool may go before its buffers.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Dotfield {

class FrameBufferPool {
  public:
    // Keeps at most `kept` idle buffers; more in use at once are allocated
    // and freed as usual.
    explicit FrameBufferPool(std::size_t kept = 4);

    // A buffer of `size` bytes whose contents are whatever it last held.
    std::shared_ptr<std::vector<std::uint8_t>> take(std::size_t size);

  private:
    struct Shelf;
    std::shared_ptr<Shelf> shelf_;
};

} // namespace Dotfield
