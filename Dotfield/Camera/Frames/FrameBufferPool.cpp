#include "Dotfield/Camera/Frames/FrameBufferPool.hpp"

#include <mutex>

namespace Dotfield {

struct FrameBufferPool::Shelf {
    explicit Shelf(std::size_t capacity) : kept(capacity) {
        // Giving a buffer back never allocates.
        idle.reserve(kept);
    }

    // The lock also orders a holder's last reads of a buffer before the
    // pool's next writes into it.
    std::mutex mutex;
    const std::size_t kept;
    std::vector<std::unique_ptr<std::vector<std::uint8_t>>> idle;
};

FrameBufferPool::FrameBufferPool(std::size_t kept) : shelf_(std::make_shared<Shelf>(kept)) {}

std::shared_ptr<std::vector<std::uint8_t>> FrameBufferPool::take(std::size_t size) {
    std::unique_ptr<std::vector<std::uint8_t>> buffer;
    {
        std::lock_guard lock(shelf_->mutex);
        if (!shelf_->idle.empty()) {
            buffer = std::move(shelf_->idle.back());
            shelf_->idle.pop_back();
        }
    }
    if (!buffer) {
        buffer = std::make_unique<std::vector<std::uint8_t>>();
    }
    // Only a buffer of another size is allocated or filled again.
    buffer->resize(size);
    std::weak_ptr<Shelf> home = shelf_;
    return {buffer.release(), [home](std::vector<std::uint8_t>* returned) {
                std::unique_ptr<std::vector<std::uint8_t>> owned(returned);
                if (const auto shelf = home.lock()) {
                    std::lock_guard lock(shelf->mutex);
                    if (shelf->idle.size() < shelf->kept) {
                        shelf->idle.push_back(std::move(owned));
                    }
                }
            }};
}

} // namespace Dotfield
