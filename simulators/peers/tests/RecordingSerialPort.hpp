#pragma once
// An adapter interface for testing peers without a bus: it has settable line
// settings and keeps what the peer sends, so a test can wait for it.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "simulators/usb/AdapterPeer.hpp"

class RecordingSerialPort final : public Simulators::SimulatedSerialPort {
  public:
    explicit RecordingSerialPort(Simulators::SerialLineSettings line) : line_(line) {}

    void send(std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(mutex_);
        received_.insert(received_.end(), bytes.begin(), bytes.end());
        arrived_.notify_all();
    }
    Simulators::SerialLineSettings lineSettings() const override {
        std::lock_guard lock(mutex_);
        return line_;
    }
    void setLineSettings(Simulators::SerialLineSettings line) {
        std::lock_guard lock(mutex_);
        line_ = line;
    }

    // Everything sent so far, and forgets it.
    std::vector<std::uint8_t> take() {
        std::lock_guard lock(mutex_);
        return std::exchange(received_, {});
    }
    // Waits (at most a generous guard time) until count bytes were sent, then takes them all.
    std::vector<std::uint8_t> takeWhenAtLeast(std::size_t count) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return received_.size() >= count; });
        return std::exchange(received_, {});
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    Simulators::SerialLineSettings line_;
    std::vector<std::uint8_t> received_;
};
