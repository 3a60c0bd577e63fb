#include "adapterdriver/tests/Support/SimulatedBusFixture.hpp"

namespace adapterdriver::testing {
namespace {

using Simulators::AdapterDescription;
using namespace std::chrono_literals;

class Writing : public SimulatedBusTest {
protected:
    void SetUp() override {
        SimulatedBusTest::SetUp();
        adapter = bus->plugIn(AdapterDescription::chip2232H("Dual RS232", "FT1234"));
        peer = std::make_shared<RecordingPeer>();
        adapter->attachPeer(1, peer);
        handle = openByDescription("Dual RS232 B");
        ASSERT_NE(handle, nullptr);
    }

    std::shared_ptr<Simulators::SimulatedAdapter> adapter;
    std::shared_ptr<RecordingPeer> peer;
    AD_HANDLE handle = nullptr;
};

TEST_F(Writing, BytesWrittenComeOutAtThePeerOfTheInterface) {
    std::uint8_t bytes[] = {0x02, 'V', '1', '2', 0x03};
    std::uint32_t written = 0;
    ASSERT_EQ(AD_Write(handle, bytes, sizeof bytes, &written), AD_OK);
    EXPECT_EQ(written, sizeof bytes);
    EXPECT_EQ(peer->bytes(), std::vector<std::uint8_t>(std::begin(bytes), std::end(bytes)));
    EXPECT_EQ(peer->writerThread(), std::this_thread::get_id());
    EXPECT_TRUE(adapter->unclaimedWrites(0).empty());
}

TEST_F(Writing, EmptyWritesAndMissingArguments) {
    std::uint8_t byte = 0;
    std::uint32_t written = 99;
    EXPECT_EQ(AD_Write(handle, &byte, 0, &written), AD_OK);
    EXPECT_EQ(written, 99u);
    EXPECT_EQ(AD_Write(handle, nullptr, 1, &written), AD_INVALID_PARAMETER);
    EXPECT_EQ(AD_Write(handle, &byte, 1, nullptr), AD_INVALID_PARAMETER);
    EXPECT_TRUE(peer->bytes().empty());
}

TEST_F(Writing, AWriteTheAdapterDoesNotTakeEndsAtItsTimeOutWithNothingWritten) {
    adapter->setAcceptsWrites(false);
    ASSERT_EQ(AD_SetTimeouts(handle, 0, 30), AD_OK);
    std::uint8_t bytes[] = {1, 2, 3};
    std::uint32_t written = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AD_Write(handle, bytes, 3, &written), AD_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    EXPECT_EQ(written, 0u);
    adapter->setAcceptsWrites(true);
}

TEST_F(Writing, AWriteToAnUnpluggedAdapterFails) {
    adapter->unplug();
    std::uint8_t byte = 1;
    std::uint32_t written = 0;
    EXPECT_EQ(AD_Write(handle, &byte, 1, &written), AD_IO_ERROR);
}

TEST_F(Writing, WritesFromSeveralThreadsTakeTurns) {
    constexpr int threads = 4;
    constexpr int writesPerThread = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([&, t] {
            std::uint8_t pair[2] = {static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(t)};
            for (int i = 0; i < writesPerThread; ++i) {
                std::uint32_t written = 0;
                EXPECT_EQ(AD_Write(handle, pair, 2, &written), AD_OK);
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    const auto bytes = peer->bytes();
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(threads * writesPerThread * 2));
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        EXPECT_EQ(bytes[i], bytes[i + 1]) << "interleaved at " << i;
    }
}

} // namespace
} // namespace adapterdriver::testing
