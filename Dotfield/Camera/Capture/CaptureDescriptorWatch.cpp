#include "Dotfield/Camera/Capture/CaptureDescriptorWatch.hpp"

#include <array>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace Dotfield {

CaptureDescriptorWatch::CaptureDescriptorWatch() : wakeDescriptor_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (wakeDescriptor_ < 0) {
        throw std::runtime_error("The camera's capture thread cannot make its wake descriptor");
    }
}

CaptureDescriptorWatch::~CaptureDescriptorWatch() {
    ::close(wakeDescriptor_);
}

void CaptureDescriptorWatch::setDescriptor(int descriptor) {
    std::lock_guard lock(mutex_);
    descriptor_ = descriptor;
}

void CaptureDescriptorWatch::withdrawDescriptor() {
    std::unique_lock lock(mutex_);
    descriptor_ = -1;
    wake();
    pollEnded_.wait(lock, [this] { return !polling_; });
}

void CaptureDescriptorWatch::wake() {
    const std::uint64_t one = 1;
    // A full counter already wakes; nothing else can fail here.
    [[maybe_unused]] const auto written = ::write(wakeDescriptor_, &one, sizeof one);
}

CaptureDescriptorWatch::Event CaptureDescriptorWatch::wait(std::chrono::milliseconds timeout) {
    std::array<pollfd, 2> watched{};
    {
        std::lock_guard lock(mutex_);
        watched[0] = {wakeDescriptor_, POLLIN, 0};
        watched[1] = {descriptor_, POLLIN, 0}; // a negative descriptor is skipped by poll
        polling_ = true;
    }
    int ready = ::poll(watched.data(), watched.size(), static_cast<int>(timeout.count()));
    if (ready < 0 && errno != EINTR) {
        ready = 0;
    }
    if (ready > 0 && (watched[0].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto drained = ::read(wakeDescriptor_, &count, sizeof count);
    }
    {
        std::lock_guard lock(mutex_);
        polling_ = false;
    }
    pollEnded_.notify_all();
    if (ready <= 0 || watched[1].fd < 0) {
        return Event::none;
    }
    if ((watched[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return Event::hungUp;
    }
    return (watched[1].revents & POLLIN) != 0 ? Event::readable : Event::none;
}

} // namespace Dotfield
