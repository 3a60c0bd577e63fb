#include "adapterdriver/Library/DeviceTable.hpp"
#include "adapterdriver/tests/Support/SimulatedBusFixture.hpp"

namespace adapterdriver::testing {
namespace {

using Simulators::AdapterDescription;

class TableLibrary : public SimulatedBusTest {
protected:
    void TearDown() override {
        setTableLibraryName(defaultTableLibraryName);
        SimulatedBusTest::TearDown();
    }
};

TEST_F(TableLibrary, ItsAcceptanceFunctionReplacesTheBuiltInTable) {
    bus->plugIn(AdapterDescription::chip232R("FT232R USB UART", "A9000001"));
    AdapterDescription other = AdapterDescription::chip232R("Other", "O1");
    other.vendorId = 0x1234;
    other.productId = 0x0042;
    bus->plugIn(other);

    std::uint32_t count = 0;
    ASSERT_EQ(AD_ListDevices(&count, nullptr, AD_LIST_NUMBER_ONLY), AD_OK);
    EXPECT_EQ(count, 1u);

    setTableLibraryName(TEST_TABLE_LIBRARY);
    ASSERT_EQ(AD_ListDevices(&count, nullptr, AD_LIST_NUMBER_ONLY), AD_OK);
    EXPECT_EQ(count, 1u);
    char description[64] = {};
    ASSERT_EQ(AD_ListDevices(nullptr, description, AD_LIST_BY_INDEX | AD_OPEN_BY_DESCRIPTION), AD_OK);
    EXPECT_STREQ(description, "Other");

    // A library that is not there leaves the built-in table in charge.
    setTableLibraryName("libadapterdriver_no_such_table.so");
    ASSERT_EQ(AD_ListDevices(nullptr, description, AD_LIST_BY_INDEX | AD_OPEN_BY_DESCRIPTION), AD_OK);
    EXPECT_STREQ(description, "FT232R USB UART");
}

TEST(DeviceTable, AcceptsTheBuiltInPairsOnly) {
    EXPECT_TRUE(isSupportedDevice(0x0403, 0x6001));
    EXPECT_TRUE(isSupportedDevice(0x0403, 0xFAC6));
    EXPECT_TRUE(isSupportedDevice(0x15D6, 0x0001));
    EXPECT_FALSE(isSupportedDevice(0x0403, 0x6002));
    EXPECT_FALSE(isSupportedDevice(0x08AC, 0x6001));
}

} // namespace
} // namespace adapterdriver::testing
