#pragma once
// Process-wide state of the driver library: start-up and shut-down on the
// chosen USB stack, the event thread that delivers asynchronous transfer
// completions, the library lock that serialises listing and opening, and the
// registry of open handles.
//
// Handles are opaque numbers that are never reused: a closed handle, or any
// value no open produced, stays invalid even after later opens.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "adapterdriver/USB/USBBackend.hpp"
#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

struct DeviceExtension;

class Library {
public:
    static Library& instance();

    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // LibraryLock: held by listing and opening for their whole run.
    std::mutex& lock() { return lock_; }

    // Starts the library on the current backend when it is not started yet
    // (libusb init, event thread). Call with the library lock held.
    bool ensureStarted();

    // The backend of the running library (or the one the next start uses).
    std::shared_ptr<USBBackend> backend();

    // Switches the USB stack; refused while a handle is open.
    bool setBackend(std::shared_ptr<USBBackend> backend);

    // Handle registry; find takes the registry lock, so it is safe against
    // concurrent opening and closing.
    AD_HANDLE add(std::shared_ptr<DeviceExtension> record);
    std::shared_ptr<DeviceExtension> find(AD_HANDLE handle);
    std::shared_ptr<DeviceExtension> remove(AD_HANDLE handle);
    std::vector<std::shared_ptr<DeviceExtension>> records();

    std::uint32_t nextSequenceNumber() { return sequence_.fetch_add(1); }

private:
    Library();
    ~Library();

    void shutDown(); // with the library lock held

    std::mutex lock_;
    bool started_ = false;
    std::shared_ptr<USBBackend> backend_;
    std::atomic<bool> running_{false};
    std::thread eventThread_;

    std::mutex registryMutex_;
    std::map<std::uintptr_t, std::shared_ptr<DeviceExtension>> records_;
    std::uintptr_t nextHandle_ = 0x1000;
    std::atomic<std::uint32_t> sequence_{0};
};

// The open record behind a handle, or nullptr for an invalid handle.
inline std::shared_ptr<DeviceExtension> findRecord(AD_HANDLE handle) {
    return Library::instance().find(handle);
}

} // namespace adapterdriver
