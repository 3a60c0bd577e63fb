// The process-wide device-info list: one node per interface of every
// accepted adapter, built by AD_CreateDeviceInfoList and read back by
// AD_GetDeviceInfoList and AD_GetDeviceInfoDetail.

#include <cstring>
#include <mutex>
#include <vector>

#include "adapterdriver/Device/DeviceExtension.hpp"
#include "adapterdriver/Library/LibraryState.hpp"
#include "adapterdriver/Support/CallGuard.hpp"

namespace adapterdriver {

namespace {

constexpr std::uint16_t fullSpeedPacketSize = 64;

struct InfoList {
    std::mutex mutex;
    std::vector<AD_DEVICE_LIST_INFO_NODE> nodes;
    bool exists = false;
};

InfoList& infoList() {
    static InfoList list;
    return list;
}

AD_STATUS createDeviceInfoList(uint32_t* count) {
    if (count == nullptr) {
        return AD_INVALID_PARAMETER;
    }
    auto& list = infoList();
    {
        std::lock_guard guard(list.mutex);
        list.nodes.clear();
        list.exists = false;
    }
    *count = 0;
    std::uint32_t interfaces = 0;
    const AD_STATUS counted = AD_ListDevices(&interfaces, nullptr, AD_LIST_NUMBER_ONLY);
    if (counted != AD_OK) {
        return counted;
    }
    std::vector<AD_DEVICE_LIST_INFO_NODE> nodes(interfaces); // bad_alloc: AD_INSUFFICIENT_RESOURCES
    for (std::uint32_t i = 0; i < interfaces; ++i) {
        AD_DEVICE_LIST_INFO_NODE& node = nodes[i];
        std::memset(&node, 0, sizeof node);
        AD_HANDLE handle = nullptr;
        if (AD_Open(static_cast<int>(i), &handle) == AD_OK) {
            if (const auto record = findRecord(handle)) {
                node = record->info;
                node.Flags = record->maxPacketSize > fullSpeedPacketSize ? AD_FLAGS_HISPEED : 0;
                node.ftHandle = nullptr;
            }
            AD_Close(handle);
            continue;
        }
        // Already open in this process: report the open handle's node. The
        // match counts USB devices, so on multi-interface adapters it is
        // approximate, as the open's position is.
        node.Flags = AD_FLAGS_OPENED;
        node.Type = AD_DEVICE_UNKNOWN;
        for (const auto& record : Library::instance().records()) {
            if (record->position == i) {
                node = record->info;
                node.Flags =
                    AD_FLAGS_OPENED | (record->maxPacketSize > fullSpeedPacketSize ? AD_FLAGS_HISPEED : 0);
                break;
            }
        }
    }
    std::lock_guard guard(list.mutex);
    list.nodes = std::move(nodes);
    list.exists = true;
    *count = static_cast<std::uint32_t>(list.nodes.size());
    return AD_OK;
}

} // namespace

} // namespace adapterdriver

using namespace adapterdriver;

extern "C" {

AD_STATUS AD_CreateDeviceInfoList(uint32_t* count) {
    return guardedCall([&] { return createDeviceInfoList(count); });
}

AD_STATUS AD_GetDeviceInfoList(AD_DEVICE_LIST_INFO_NODE* nodes, uint32_t* count) {
    if (count == nullptr) {
        return AD_INVALID_PARAMETER;
    }
    auto& list = infoList();
    std::lock_guard guard(list.mutex);
    if (nodes != nullptr && list.exists) {
        std::copy(list.nodes.begin(), list.nodes.end(), nodes);
    }
    *count = static_cast<std::uint32_t>(list.nodes.size());
    return AD_OK;
}

AD_STATUS AD_GetDeviceInfoDetail(uint32_t index, uint32_t* flags, uint32_t* type, uint32_t* id,
                                 uint32_t* locId, void* serialNumber, void* description, AD_HANDLE* handle) {
    auto& list = infoList();
    std::lock_guard guard(list.mutex);
    if (!list.exists || index >= list.nodes.size()) {
        return AD_DEVICE_NOT_FOUND;
    }
    const AD_DEVICE_LIST_INFO_NODE& node = list.nodes[index];
    if (flags != nullptr) {
        *flags = node.Flags;
    }
    if (type != nullptr) {
        *type = node.Type;
    }
    if (id != nullptr) {
        *id = node.ID;
    }
    if (locId != nullptr) {
        *locId = node.LocId;
    }
    if (serialNumber != nullptr) {
        std::memcpy(serialNumber, node.SerialNumber, sizeof node.SerialNumber);
    }
    if (description != nullptr) {
        std::memcpy(description, node.Description, sizeof node.Description);
    }
    if (handle != nullptr) {
        *handle = node.ftHandle;
    }
    return AD_OK;
}

} // extern "C"
