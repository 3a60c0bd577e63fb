#include "adapterdriver/Library/LibraryState.hpp"

#include <chrono>

#include "adapterdriver/Device/DeviceExtension.hpp"
#include "adapterdriver/Device/DeviceLifecycle.hpp"
#include "adapterdriver/Library/DeviceTable.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "adapterdriver/USB/LibusbBackend.hpp"

namespace adapterdriver {

namespace {
constexpr std::chrono::microseconds eventSlice{100000};
} // namespace

Library& Library::instance() {
    // Started lazily by the first call that needs the library, shut down by
    // the destructor at exit once the handles still open are closed.
    static Library library;
    return library;
}

Library::Library() : backend_(makeLibusbBackend()) {}

Library::~Library() {
    for (const auto& record : records()) {
        closeDevice(record->handle);
    }
    std::lock_guard guard(lock_);
    shutDown();
    // The table library is never kept loaded between calls, so there is
    // nothing to unload here (and its state may already be destroyed).
}

bool Library::ensureStarted() {
    if (started_) {
        return true;
    }
    if (backend_->init() != LIBUSB_SUCCESS) {
        return false;
    }
    running_ = true;
    try {
        eventThread_ = std::thread([this, backend = backend_] {
            while (running_.load()) {
                backend->handleEventsTimeout(eventSlice);
            }
        });
    } catch (const std::system_error&) {
        running_ = false;
        backend_->exit();
        return false;
    }
    started_ = true;
    probeAcceptanceFunction();
    forgetAcceptanceFunction();
    return true;
}

void Library::shutDown() {
    if (!started_) {
        return;
    }
    running_ = false;
    if (eventThread_.joinable()) {
        eventThread_.join();
    }
    backend_->exit();
    started_ = false;
}

std::shared_ptr<USBBackend> Library::backend() {
    std::lock_guard guard(registryMutex_);
    return backend_;
}

bool Library::setBackend(std::shared_ptr<USBBackend> backend) {
    std::lock_guard guard(lock_);
    {
        std::lock_guard registryGuard(registryMutex_);
        if (!records_.empty()) {
            return false;
        }
    }
    shutDown();
    std::lock_guard registryGuard(registryMutex_);
    backend_ = backend ? std::move(backend) : makeLibusbBackend();
    return true;
}

AD_HANDLE Library::add(std::shared_ptr<DeviceExtension> record) {
    std::lock_guard guard(registryMutex_);
    const std::uintptr_t value = nextHandle_;
    nextHandle_ += 0x10;
    record->handle = reinterpret_cast<AD_HANDLE>(value);
    record->info.ftHandle = record->handle;
    records_.emplace(value, std::move(record));
    return reinterpret_cast<AD_HANDLE>(value);
}

std::shared_ptr<DeviceExtension> Library::find(AD_HANDLE handle) {
    std::lock_guard guard(registryMutex_);
    const auto it = records_.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == records_.end() ? nullptr : it->second;
}

std::shared_ptr<DeviceExtension> Library::remove(AD_HANDLE handle) {
    std::lock_guard guard(registryMutex_);
    const auto it = records_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == records_.end()) {
        return nullptr;
    }
    auto record = std::move(it->second);
    records_.erase(it);
    return record;
}

std::vector<std::shared_ptr<DeviceExtension>> Library::records() {
    std::lock_guard guard(registryMutex_);
    std::vector<std::shared_ptr<DeviceExtension>> result;
    result.reserve(records_.size());
    for (const auto& [value, record] : records_) {
        result.push_back(record);
    }
    return result;
}

bool setUSBBackend(std::shared_ptr<USBBackend> backend) {
    return Library::instance().setBackend(std::move(backend));
}

std::shared_ptr<USBBackend> currentUSBBackend() {
    return Library::instance().backend();
}

} // namespace adapterdriver
