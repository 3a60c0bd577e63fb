#include <stdexcept>

#include <gtest/gtest.h>

#include "Diagnostics/DiagnosticHooks.hpp"

using namespace Diagnostics;

namespace {
struct WrongByteCount : std::runtime_error {
    int expected;
    int received;
    WrongByteCount(int e, int r) : std::runtime_error("wrong byte count"), expected(e), received(r) {}
};
} // namespace

TEST(DiagnosticHooks, ErrorPassesThroughUnchanged) {
    const WrongByteCount error = logAndReturnError(WrongByteCount(5, 3));
    EXPECT_EQ(error.expected, 5);
    EXPECT_EQ(error.received, 3);
}

TEST(DiagnosticHooks, SilentByDefault) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    printWithContext("anything at all");
    (void)logAndReturnError(std::runtime_error("boom"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
