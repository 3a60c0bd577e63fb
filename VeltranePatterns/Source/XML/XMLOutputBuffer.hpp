#pragma once
// The bytes of a document while it is written: a text that grows in place and
// is written into directly at its tail. A writer asks for room, puts its bytes
// there and marks where they end, so no piece of the document passes through a
// temporary text on its way in; the finished text is handed over without a
// copy.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace VeltranePatterns {

// Copies the text into the room and returns its end. Names, indents and
// entities are short: they take a few fixed-size moves, which the compiler
// makes into plain loads and stores (and, where the length is known, without
// a branch) rather than a call each.
[[gnu::always_inline]] inline char* putText(char* to, std::string_view text) {
    const std::size_t n = text.size();
    const char* from = text.data();
    if (n < 4) {
        if (n > 0) {
            to[0] = from[0];
            to[n / 2] = from[n / 2];
            to[n - 1] = from[n - 1];
        }
    } else if (n < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n < 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n <= 32) {
        std::memcpy(to, from, 16);
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else {
        std::memcpy(to, from, n);
    }
    return to + n;
}

class XMLOutputBuffer {
  public:
    XMLOutputBuffer() = default;
    // With room for this many bytes before it first grows.
    explicit XMLOutputBuffer(std::size_t room) { bytes_.resize(room); }

    // The tail, with at least the given number of bytes writable from it.
    char* room(std::size_t size) {
        if (bytes_.size() - used_ < size) {
            grow(size);
        }
        return bytes_.data() + used_;
    }
    // Takes the bytes written from room()'s tail up to the end given.
    void advanceTo(const char* end) { used_ = static_cast<std::size_t>(end - bytes_.data()); }

    std::size_t size() const { return used_; }
    std::string_view text() const { return {bytes_.data(), used_}; }
    // Empties the text and keeps the room.
    void clear() { used_ = 0; }
    // Hands the text over; the buffer is empty afterwards.
    std::string take() {
        std::string text;
        text.swap(bytes_);
        text.resize(used_);
        used_ = 0;
        return text;
    }

  private:
    // Makes the room: the capacity at least doubles, so that a long document
    // is copied only a few times as it grows, but the room (which resizing
    // fills with zeros) grows a step at a time within it, so that memory is
    // touched only just ahead of the writing and never far past the document's
    // end.
    void grow(std::size_t size) {
        const std::size_t needed = used_ + size;
        if (needed > bytes_.capacity()) {
            bytes_.reserve(std::max({2 * bytes_.capacity(), needed, roomStep}));
        }
        bytes_.resize(std::min(bytes_.capacity(), std::max(needed, bytes_.size() + roomStep)));
    }

    static constexpr std::size_t roomStep = 64 * 1024;

    // Sized to the room; the bytes past used_ are not written yet.
    std::string bytes_;
    std::size_t used_ = 0;
};

} // namespace VeltranePatterns
