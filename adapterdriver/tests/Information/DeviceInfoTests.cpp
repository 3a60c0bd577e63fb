#include <cstring>

#include "adapterdriver/tests/Support/SimulatedBusFixture.hpp"

namespace adapterdriver::testing {
namespace {

using Simulators::AdapterDescription;

class DeviceInformation : public SimulatedBusTest {};

// Runs first in this program: the device-info list is process-wide.
TEST_F(DeviceInformation, ADetailBeforeAnyListIsNotFound) {
    std::uint32_t flags = 0;
    EXPECT_EQ(AD_GetDeviceInfoDetail(0, &flags, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              AD_DEVICE_NOT_FOUND);
}

TEST_F(DeviceInformation, TheListShowsOpenAndFreeAdapters) {
    bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
    bus->plugIn(AdapterDescription::chip232H("Single RS232-HS", "FT5555"));
    AD_HANDLE open = openByDescription("FT232R USB UART");

    std::uint32_t count = 0;
    ASSERT_EQ(AD_CreateDeviceInfoList(&count), AD_OK);
    ASSERT_EQ(count, 2u);
    std::vector<AD_DEVICE_LIST_INFO_NODE> nodes(count);
    ASSERT_EQ(AD_GetDeviceInfoList(nodes.data(), &count), AD_OK);

    EXPECT_EQ(nodes[0].Flags, AD_FLAGS_OPENED);
    EXPECT_EQ(nodes[0].ftHandle, open);
    EXPECT_EQ(nodes[0].Type, AD_DEVICE_232R);
    EXPECT_STREQ(nodes[0].Description, "FT232R USB UART");

    EXPECT_EQ(nodes[1].Flags, AD_FLAGS_HISPEED);
    EXPECT_EQ(nodes[1].ftHandle, nullptr);
    EXPECT_EQ(nodes[1].Type, AD_DEVICE_232H);
    EXPECT_EQ(nodes[1].ID, 0x04036014u);
    EXPECT_EQ(nodes[1].LocId, 1u << 8 | 3u);
    EXPECT_STREQ(nodes[1].SerialNumber, "FT5555");

    std::uint32_t flags = 0;
    std::uint32_t type = 0;
    char serial[16] = {};
    AD_HANDLE handle = nullptr;
    ASSERT_EQ(AD_GetDeviceInfoDetail(1, &flags, &type, nullptr, nullptr, serial, nullptr, &handle), AD_OK);
    EXPECT_EQ(type, AD_DEVICE_232H);
    EXPECT_STREQ(serial, "FT5555");
    EXPECT_EQ(AD_GetDeviceInfoDetail(2, &flags, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              AD_DEVICE_NOT_FOUND);
    EXPECT_EQ(AD_CreateDeviceInfoList(nullptr), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_GetDeviceInfoList(nodes.data(), nullptr), AD_INVALID_PARAMETER);
}

TEST_F(DeviceInformation, ChipTypesFollowTheDeviceRevision) {
    struct Chip {
        AdapterDescription description;
        std::uint32_t type;
    };
    AdapterDescription bmWithoutSerial = AdapterDescription::chipAM("Old", "");
    bmWithoutSerial.hasSerialNumber = false;
    const std::vector<Chip> chips = {
        {AdapterDescription::chipAM("Chip AM", "S1"), AD_DEVICE_AM},
        {bmWithoutSerial, AD_DEVICE_BM},
        {AdapterDescription::chipBM("Chip BM", "S2"), AD_DEVICE_BM},
        {AdapterDescription::chip2232C("Chip 2232C", "S3"), AD_DEVICE_2232C},
        {AdapterDescription::chip232R("Chip 232R", "S4"), AD_DEVICE_232R},
        {AdapterDescription::chip2232H("Chip 2232H", "S5"), AD_DEVICE_2232H},
        {AdapterDescription::chip4232H("Chip 4232H", "S6"), AD_DEVICE_4232H},
        {AdapterDescription::chip232H("Chip 232H", "S7"), AD_DEVICE_232H},
        {AdapterDescription::chipXSeries("Chip X", "S8"), AD_DEVICE_X_SERIES},
    };
    for (const auto& chip : chips) {
        bus->plugIn(chip.description);
    }
    std::uint32_t index = 0;
    for (const auto& chip : chips) {
        AD_HANDLE handle = nullptr;
        ASSERT_EQ(AD_Open(static_cast<int>(index), &handle), AD_OK) << chip.description.product;
        opened.push_back(handle);
        std::uint32_t type = 99;
        std::uint32_t id = 0;
        ASSERT_EQ(AD_GetDeviceInfo(handle, &type, &id, nullptr, nullptr, nullptr), AD_OK);
        EXPECT_EQ(type, chip.type) << chip.description.product;
        index += static_cast<std::uint32_t>(chip.description.interfaceCount);
    }
}

TEST_F(DeviceInformation, VersionsAndUnsupportedCalls) {
    std::uint32_t version = 0;
    ASSERT_EQ(AD_GetLibraryVersion(&version), AD_OK);
    EXPECT_EQ(version, 0x00010202u);
    ASSERT_EQ(AD_GetDriverVersion(nullptr, &version), AD_OK);
    EXPECT_EQ(version, 0x00010202u);
    EXPECT_EQ(AD_GetLibraryVersion(nullptr), AD_INVALID_PARAMETER);

    bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
    AD_HANDLE handle = openByDescription("FT232R USB UART");
    EXPECT_EQ(AD_ResetPort(handle), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_SetWaitMask(handle, 1), AD_NOT_SUPPORTED);
    EXPECT_EQ(AD_CyclePort(handle), AD_OK);
    EXPECT_EQ(AD_ResetPort(nullptr), AD_INVALID_HANDLE);
}

} // namespace
} // namespace adapterdriver::testing
