#pragma once
// A fixture that puts the driver library on a fresh simulated USB bus for
// each test, and the peers the tests attach to adapter interfaces.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "adapterdriver/Library/ConfigFile.hpp"
#include "adapterdriver/USB/BackendSelection.hpp"
#include "adapterdriver/adapterdriver.h"
#include "simulators/usb/SimulatedUSBBus.hpp"

namespace adapterdriver::testing {

// Keeps every byte the host wrote.
class RecordingPeer : public Simulators::AdapterPeer {
public:
    void receive(std::span<const std::uint8_t> bytes, Simulators::SimulatedSerialPort&) override {
        std::lock_guard guard(mutex_);
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        writer_ = std::this_thread::get_id();
    }
    void lineSettingsChanged(const Simulators::SerialLineSettings& settings,
                             Simulators::SimulatedSerialPort&) override {
        std::lock_guard guard(mutex_);
        settings_.push_back(settings);
    }
    std::vector<std::uint8_t> bytes() const {
        std::lock_guard guard(mutex_);
        return bytes_;
    }
    // The thread the last bytes were written on.
    std::thread::id writerThread() const {
        std::lock_guard guard(mutex_);
        return writer_;
    }
    std::vector<Simulators::SerialLineSettings> settingsSeen() const {
        std::lock_guard guard(mutex_);
        return settings_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Simulators::SerialLineSettings> settings_;
    std::thread::id writer_;
};

// Sends every byte straight back.
class EchoPeer : public Simulators::AdapterPeer {
public:
    void receive(std::span<const std::uint8_t> bytes, Simulators::SimulatedSerialPort& port) override {
        port.send(bytes);
    }
};

class SimulatedBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_shared<Simulators::SimulatedUSBBus>();
        ASSERT_TRUE(setUSBBackend(bus));
        setConfigFileSearchPath({});
    }

    void TearDown() override {
        for (AD_HANDLE handle : opened) {
            AD_Close(handle);
        }
        opened.clear();
        restoreDefaultConfigFileSearchPath();
        EXPECT_TRUE(setUSBBackend(nullptr)) << "a handle was left open";
    }

    // Opens and remembers the handle so the fixture closes it.
    AD_HANDLE openByDescription(const std::string& description) {
        AD_HANDLE handle = nullptr;
        EXPECT_EQ(AD_OpenEx(const_cast<char*>(description.c_str()), AD_OPEN_BY_DESCRIPTION, &handle), AD_OK)
            << description;
        if (handle != nullptr) {
            opened.push_back(handle);
        }
        return handle;
    }

    void forget(AD_HANDLE handle) { std::erase(opened, handle); }

    // Waits (bounded) until the receive ring holds at least count bytes.
    static bool waitForQueued(AD_HANDLE handle, std::uint32_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            std::uint32_t queued = 0;
            if (QueueStatusUncapped(handle, &queued) != AD_OK) {
                return false;
            }
            if (queued >= count) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    std::shared_ptr<Simulators::SimulatedUSBBus> bus;
    std::vector<AD_HANDLE> opened;
};

} // namespace adapterdriver::testing
