#pragma once
// Console messages of the application (printWithContext) go to standard
// error only with diagnostics switched on, a switch read once: including this
// header switches it on before any test runs, and consoleShows tells whether
// a message appeared while some work ran.

#include <cstdlib>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace Dotfield::testing {

inline const bool consoleDiagnosticsOn = [] { return ::setenv("DOTFIELD_DIAGNOSTICS", "1", 1) == 0; }();

// Whether the console carried the line while the work ran. An error of the
// work is passed on.
inline bool consoleShows(const std::function<void()>& work, const std::string& line) {
    (void)consoleDiagnosticsOn;
    ::testing::internal::CaptureStderr();
    try {
        work();
    } catch (...) {
        ::testing::internal::GetCapturedStderr();
        throw;
    }
    return ::testing::internal::GetCapturedStderr().find(line) != std::string::npos;
}

} // namespace Dotfield::testing
