#pragma once
// The wait of the capture thread: poll() on the capture descriptor that
// libdc1394 hands out and on a wake descriptor of its own. The capture
// descriptor is withdrawn before capture stops, and withdrawing waits until no
// poll uses it, so a descriptor number that the system hands out again is
// never polled.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace Dotfield {

class CaptureDescriptorWatch {
  public:
    enum class Event { none, readable, hungUp };

    CaptureDescriptorWatch();
    ~CaptureDescriptorWatch();
    CaptureDescriptorWatch(const CaptureDescriptorWatch&) = delete;
    CaptureDescriptorWatch& operator=(const CaptureDescriptorWatch&) = delete;

    // Watched from the next wait on.
    void setDescriptor(int descriptor);
    // Returns once no wait polls the descriptor any more.
    void withdrawDescriptor();
    // The wait in progress, or else the next one, returns at once.
    void wake();

    // Waits at most the time-out for the capture descriptor or a wake.
    // readable: frames (or an event) wait; hungUp: the device is gone.
    Event wait(std::chrono::milliseconds timeout);

  private:
    int wakeDescriptor_;
    std::mutex mutex_;
    std::condition_variable pollEnded_;
    int descriptor_ = -1;
    bool polling_ = false;
};

} // namespace Dotfield
