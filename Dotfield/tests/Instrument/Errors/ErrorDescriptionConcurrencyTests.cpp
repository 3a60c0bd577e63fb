#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"

namespace Dotfield {
namespace {

// One error rethrown on several threads (as an exception_ptr handed to a
// handler and to a log line) is described once, without a race.
TEST(ErrorDescriptionConcurrency, OneErrorDescribedFromSeveralThreads) {
    const std::exception_ptr error = std::make_exception_ptr(CommunicationsError::wrongByteCount(5, 3));
    std::vector<std::string> texts(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        threads.emplace_back([&, i] {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                texts[i] = e.what();
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (const auto& text : texts) {
        EXPECT_EQ(text, texts.front());
        EXPECT_NE(text.find("wrongByteCount"), std::string::npos) << text;
    }
}

} // namespace
} // namespace Dotfield
