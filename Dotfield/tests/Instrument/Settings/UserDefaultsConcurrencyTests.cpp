#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/tests/Support/SettingsTestSupport.hpp"

namespace Dotfield {
namespace {

using testing::Backing;

class UserDefaultsConcurrencyTest : public ::testing::TestWithParam<Backing> {
  protected:
    testing::SettingsStoreFixture fixture{GetParam(), "UserDefaultsConcurrency"};
};

TEST_P(UserDefaultsConcurrencyTest, SeveralThreadsWriteAndReadWithoutLosingValues) {
    UserDefaults& store = *fixture.store;
    constexpr int threads = 4;
    constexpr int writes = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([&, t] {
            const std::string own = "thread" + std::to_string(t);
            for (int i = 0; i < writes; ++i) {
                store.setInteger(i, own);
                store.setDoubleArray(std::vector<double>{double(i), double(t)}, "standardDeviationArray");
                store.setAxisValues({double(i), 0, 0}, own + "Velocity", true);
                (void)store.doubleArray("standardDeviationArray");
                (void)store.integerForKey("thread0");
                if (fixture.persistent && i % 50 == 0) {
                    fixture.clock->advance(PersistentDefaults::defaultSaveDelay);
                }
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    for (int t = 0; t < threads; ++t) {
        const std::string own = "thread" + std::to_string(t);
        EXPECT_EQ(store.integerForKey(own), writes - 1);
        EXPECT_EQ(store.axisValues(own + "Velocity", true), (AxisValues{writes - 1.0, 0, 0}));
    }
    const auto last = store.doubleArray("standardDeviationArray");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->size(), 2U);

    if (fixture.persistent) {
        ASSERT_TRUE(fixture.persistent->flush());
        PersistentDefaults reopened(fixture.file, fixture.clock);
        for (int t = 0; t < threads; ++t) {
            EXPECT_EQ(reopened.object("thread" + std::to_string(t)),
                      PropertyListValue(std::int64_t{writes - 1}));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backings, UserDefaultsConcurrencyTest,
                         ::testing::Values(Backing::userDefaults, Backing::inMemory), testing::backingName);

} // namespace
} // namespace Dotfield
