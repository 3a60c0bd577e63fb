#include "Dotfield/Platform/ProcessStartTime.hpp"

#include <charconv>
#include <exception>

#include "Dotfield/Platform/Files/TextFiles.hpp"

namespace Dotfield {

namespace {

// Fields after the command name start with field 3 (the state); the start
// time is field 22.
constexpr int startTimeFieldAfterName = 22 - 3;

bool isFieldSeparator(char character) {
    return character == ' ' || character == '\t' || character == '\n';
}

} // namespace

std::optional<std::uint64_t> startTimeFromProcessStat(std::string_view statLine) {
    const std::size_t nameEnd = statLine.rfind(')');
    if (nameEnd == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = statLine.substr(nameEnd + 1);
    for (int field = 0;; ++field) {
        std::size_t start = 0;
        while (start < rest.size() && isFieldSeparator(rest[start])) {
            ++start;
        }
        std::size_t end = start;
        while (end < rest.size() && !isFieldSeparator(rest[end])) {
            ++end;
        }
        if (start == end) {
            return std::nullopt; // The line ended before the start time.
        }
        if (field == startTimeFieldAfterName) {
            std::uint64_t value = 0;
            const char* first = rest.data() + start;
            const char* last = rest.data() + end;
            const auto [stop, error] = std::from_chars(first, last, value);
            if (error != std::errc() || stop != last) {
                return std::nullopt;
            }
            return value;
        }
        rest = rest.substr(end);
    }
}

std::optional<std::uint64_t> currentProcessStartTime() {
    try {
        return startTimeFromProcessStat(readTextFile("/proc/self/stat", 64 * 1024));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace Dotfield
