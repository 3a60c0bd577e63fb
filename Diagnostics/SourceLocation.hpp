#pragma once
// Where a call came from, captured as a default argument. The compiler
// builtins behind it exist in GCC and Clang alike, whereas SourceLocation
// is missing from some Clang and standard-library pairs still in use.

#include <cstdint>

namespace Diagnostics {

class SourceLocation {
public:
    static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                            std::uint_least32_t line = __builtin_LINE(),
                                            const char* function = __builtin_FUNCTION()) noexcept {
        return SourceLocation(file, line, function);
    }

    constexpr const char* file_name() const noexcept { return file_; }
    constexpr std::uint_least32_t line() const noexcept { return line_; }
    constexpr const char* function_name() const noexcept { return function_; }

private:
    constexpr SourceLocation(const char* file, std::uint_least32_t line, const char* function) noexcept
        : file_(file), line_(line), function_(function) {}

    const char* file_;
    std::uint_least32_t line_;
    const char* function_;
};

} // namespace Diagnostics
