#include "adapterdriver/Library/DeviceTable.hpp"

#include <array>
#include <mutex>
#include <utility>

#include <dlfcn.h>

#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

namespace {

struct IdPair {
    std::uint32_t vendorId;
    std::uint32_t productId;
};

using AcceptanceFunction = int (*)(int vendorId, int productId);

struct TableState {
    std::mutex mutex;
    std::array<IdPair, 16> table{{
        {0x0403, 0x6015},
        {0x0403, 0x6014},
        {0x0403, 0x6011},
        {0x0403, 0x6010},
        {0x0403, 0x6001},
        {0x0403, 0x6006},
        {0x0403, 0xFAC1},
        {0x0403, 0xFAC2},
        {0x0403, 0xFAC3},
        {0x0403, 0xFAC4},
        {0x0403, 0xFAC5},
        {0x0403, 0xFAC6},
        {0x0403, 0x6012},
        {0x08AC, 0x1025},
        {0x15D6, 0x0001},
        {0x0403, 0x6017},
    }};
    std::string libraryName = defaultTableLibraryName;
    void* library = nullptr;
    AcceptanceFunction acceptance = nullptr;
};

TableState& state() {
    static TableState tableState;
    return tableState;
}

// With the state's mutex held.
void probeLocked(TableState& s) {
    s.acceptance = nullptr;
    if (s.library == nullptr) {
        // A name without a slash is looked up only in the loader's search
        // path, so nothing is loaded from the current directory.
        s.library = dlopen(s.libraryName.c_str(), RTLD_LAZY);
    }
    if (s.library != nullptr) {
        dlerror();
        void* symbol = dlsym(s.library, "lib_check_device");
        if (dlerror() == nullptr && symbol != nullptr) {
            s.acceptance = reinterpret_cast<AcceptanceFunction>(symbol);
        }
    }
}

void unloadLocked(TableState& s) {
    s.acceptance = nullptr;
    if (s.library != nullptr) {
        dlclose(s.library);
        s.library = nullptr;
    }
}

} // namespace

void probeAcceptanceFunction() {
    auto& s = state();
    std::lock_guard guard(s.mutex);
    probeLocked(s);
}

void forgetAcceptanceFunction() {
    auto& s = state();
    std::lock_guard guard(s.mutex);
    unloadLocked(s);
}

void setTableLibraryName(std::string name) {
    auto& s = state();
    std::lock_guard guard(s.mutex);
    unloadLocked(s);
    s.libraryName = std::move(name);
}

bool isSupportedDevice(std::uint32_t vendorId, std::uint32_t productId) {
    auto& s = state();
    std::lock_guard guard(s.mutex);
    probeLocked(s);
    if (s.acceptance != nullptr) {
        const bool accepted =
            s.acceptance(static_cast<int>(vendorId & 0xFFFF), static_cast<int>(productId & 0xFFFF)) != 0;
        unloadLocked(s);
        return accepted;
    }
    unloadLocked(s);
    for (const auto& pair : s.table) {
        if (pair.vendorId == vendorId && pair.productId == productId) {
            return true;
        }
    }
    return false;
}

} // namespace adapterdriver

extern "C" AD_STATUS AD_SetVIDPID(uint32_t vid, uint32_t pid) {
    auto& s = adapterdriver::state();
    std::lock_guard guard(s.mutex);
    auto& slot = s.table.back();
    if (vid != 0) {
        slot.vendorId = vid;
    }
    if (pid != 0) {
        slot.productId = pid;
    }
    return AD_OK;
}

extern "C" AD_STATUS AD_GetVIDPID(uint32_t* vid, uint32_t* pid) {
    if (vid == nullptr || pid == nullptr) {
        return AD_INVALID_PARAMETER;
    }
    auto& s = adapterdriver::state();
    std::lock_guard guard(s.mutex);
    *vid = s.table.back().vendorId;
    *pid = s.table.back().productId;
    return AD_OK;
}
