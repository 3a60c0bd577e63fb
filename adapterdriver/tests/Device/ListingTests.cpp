#include <cstring>

#include "adapterdriver/tests/Support/SimulatedBusFixture.hpp"

namespace adapterdriver::testing {
namespace {

using Simulators::AdapterDescription;

class Listing : public SimulatedBusTest {};

void* indexArgument(std::uint32_t index) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(index));
}

std::string listed(std::uint32_t index, std::uint32_t openFlag, AD_STATUS* status = nullptr) {
    char buffer[64] = {};
    const AD_STATUS result = AD_ListDevices(indexArgument(index), buffer, AD_LIST_BY_INDEX | openFlag);
    if (status != nullptr) {
        *status = result;
    }
    return result == AD_OK ? std::string(buffer) : std::string("<status ") + std::to_string(result) + ">";
}

TEST_F(Listing, CountsEveryInterfaceAndNamesThoseOfMultiInterfaceChips) {
    bus->plugIn(AdapterDescription::chip2232H("Dual RS232", "FT1234"));
    bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
    bus->plugIn(AdapterDescription::chip4232H("Quad RS232-HS", "FT9999"));
    AdapterDescription foreign = AdapterDescription::chip232R("Not ours", "X");
    foreign.vendorId = 0x1234;
    bus->plugIn(foreign);

    std::uint32_t count = 0;
    ASSERT_EQ(AD_ListDevices(&count, nullptr, AD_LIST_NUMBER_ONLY), AD_OK);
    EXPECT_EQ(count, 2u + 1u + 4u);

    EXPECT_EQ(listed(0, AD_OPEN_BY_DESCRIPTION), "Dual RS232 A");
    EXPECT_EQ(listed(1, AD_OPEN_BY_DESCRIPTION), "Dual RS232 B");
    EXPECT_EQ(listed(0, AD_OPEN_BY_SERIAL_NUMBER), "FT1234A");
    EXPECT_EQ(listed(1, AD_OPEN_BY_SERIAL_NUMBER), "FT1234B");
    EXPECT_EQ(listed(2, AD_OPEN_BY_DESCRIPTION), "FT232R USB UART");
    EXPECT_EQ(listed(2, 0), "A9000001"); // no open flag: by serial number
    EXPECT_EQ(listed(6, AD_OPEN_BY_DESCRIPTION), "Quad RS232-HS D");
    AD_STATUS status = AD_OK;
    listed(7, AD_OPEN_BY_DESCRIPTION, &status);
    EXPECT_EQ(status, AD_DEVICE_NOT_FOUND);

    // Locations: (bus << 8 | address), on multi-interface chips << 4 | interface + 1.
    std::uint32_t location = 0;
    ASSERT_EQ(AD_ListDevices(indexArgument(1), &location, AD_LIST_BY_INDEX | AD_OPEN_BY_LOCATION), AD_OK);
    EXPECT_EQ(location, ((1u << 8 | 2u) << 4) | 2u);
    ASSERT_EQ(AD_ListDevices(indexArgument(2), &location, AD_LIST_BY_INDEX | AD_OPEN_BY_LOCATION), AD_OK);
    EXPECT_EQ(location, 1u << 8 | 3u);
}

TEST_F(Listing, ListsAllInterfacesIntoTheCallersBuffers) {
    bus->plugIn(AdapterDescription::chip2232C("Dual RS232", "FT1234"));
    bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
    char names[3][64] = {};
    char* buffers[4] = {names[0], names[1], names[2], nullptr};
    std::uint32_t count = 0;
    ASSERT_EQ(AD_ListDevices(buffers, &count, AD_LIST_ALL | AD_OPEN_BY_DESCRIPTION), AD_OK);
    EXPECT_EQ(count, 3u);
    EXPECT_STREQ(names[0], "Dual RS232 A");
    EXPECT_STREQ(names[1], "Dual RS232 B");
    EXPECT_STREQ(names[2], "FT232R USB UART");

    std::uint32_t locations[3] = {};
    ASSERT_EQ(AD_ListDevices(locations, &count, AD_LIST_ALL | AD_OPEN_BY_LOCATION), AD_OK);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(locations[2], 1u << 8 | 3u);
}

TEST_F(Listing, LongStringsAreCutToThePublishedSizes) {
    const std::string longName(70, 'D');
    bus->plugIn(AdapterDescription::chip2232H(longName, "ABCDEFGHIJKLMNOP"));
    char description[64];
    std::memset(description, 'x', sizeof description);
    ASSERT_EQ(AD_ListDevices(indexArgument(1), description, AD_LIST_BY_INDEX | AD_OPEN_BY_DESCRIPTION),
              AD_OK);
    EXPECT_EQ(std::strlen(description), 63u);
    char serial[16];
    ASSERT_EQ(AD_ListDevices(indexArgument(1), serial, AD_LIST_BY_INDEX | AD_OPEN_BY_SERIAL_NUMBER), AD_OK);
    EXPECT_EQ(std::strlen(serial), 15u);
}

TEST_F(Listing, ALetterOnlyForChipsWhoseInterfacesAreNamed) {
    // A single-interface chip type, though its configuration has two
    // interfaces: listed without a letter, the name it opens by.
    AdapterDescription odd = AdapterDescription::chip232R("Odd UART", "ODD00001");
    odd.interfaceCount = 2;
    bus->plugIn(odd);
    EXPECT_EQ(listed(0, AD_OPEN_BY_DESCRIPTION), "Odd UART");
    EXPECT_EQ(listed(1, AD_OPEN_BY_SERIAL_NUMBER), "ODD00001");
    AD_HANDLE handle = openByDescription(listed(0, AD_OPEN_BY_DESCRIPTION));
    EXPECT_NE(handle, nullptr);
}

TEST_F(Listing, RefusesMissingArgumentsAndUnknownModes) {
    bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
    EXPECT_EQ(AD_ListDevices(nullptr, nullptr, 0), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_ListDevices(nullptr, nullptr, AD_LIST_NUMBER_ONLY), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_ListDevices(indexArgument(0), nullptr, AD_LIST_BY_INDEX | AD_OPEN_BY_DESCRIPTION),
              AD_INVALID_PARAMETER);
    char buffer[64] = {};
    std::uint32_t count = 0;
    EXPECT_EQ(AD_ListDevices(buffer, &count, AD_LIST_BY_INDEX | AD_LIST_ALL), AD_INVALID_PARAMETER);
    // Open flags that name no identifier (3, 5, 6, 7) are refused, not answered with nothing.
    for (const std::uint32_t openFlags : {3u, 5u, 6u, 7u}) {
        EXPECT_EQ(AD_ListDevices(indexArgument(0), buffer, AD_LIST_BY_INDEX | openFlags),
                  AD_INVALID_PARAMETER)
            << openFlags;
    }
    EXPECT_EQ(AD_ListDevices(nullptr, &count, AD_LIST_ALL | AD_OPEN_BY_DESCRIPTION), AD_INVALID_PARAMETER);
}

TEST_F(Listing, SetVIDPIDChangesTheUserSlotOfTheDeviceTable) {
    AdapterDescription custom = AdapterDescription::chip232R("Custom", "C1");
    custom.productId = 0x6017;
    auto adapter = bus->plugIn(custom);
    std::uint32_t count = 0;
    ASSERT_EQ(AD_ListDevices(&count, nullptr, AD_LIST_NUMBER_ONLY), AD_OK);
    EXPECT_EQ(count, 1u);

    ASSERT_EQ(AD_SetVIDPID(0x1234, 0), AD_OK);
    std::uint32_t vid = 0;
    std::uint32_t pid = 0;
    ASSERT_EQ(AD_GetVIDPID(&vid, &pid), AD_OK);
    EXPECT_EQ(vid, 0x1234u);
    EXPECT_EQ(pid, 0x6017u);
    ASSERT_EQ(AD_ListDevices(&count, nullptr, AD_LIST_NUMBER_ONLY), AD_OK);
    EXPECT_EQ(count, 0u);

    AdapterDescription moved = custom;
    moved.vendorId = 0x1234;
    bus->plugIn(moved);
    ASSERT_EQ(AD_ListDevices(&count, nullptr, AD_LIST_NUMBER_ONLY), AD_OK);
    EXPECT_EQ(count, 1u);

    EXPECT_EQ(AD_GetVIDPID(nullptr, &pid), AD_INVALID_PARAMETER);
    ASSERT_EQ(AD_SetVIDPID(0x0403, 0x6017), AD_OK);
}

TEST_F(Listing, StartUpIsRetriedByTheNextCallAfterAFailure) {
    ASSERT_TRUE(setUSBBackend(bus)); // stops the running library
    bus->setInitFails(true);
    std::uint32_t count = 0;
    EXPECT_EQ(AD_ListDevices(&count, nullptr, AD_LIST_NUMBER_ONLY), AD_OTHER_ERROR);
    bus->setInitFails(false);
    EXPECT_EQ(AD_ListDevices(&count, nullptr, AD_LIST_NUMBER_ONLY), AD_OK);
}

} // namespace
} // namespace adapterdriver::testing
