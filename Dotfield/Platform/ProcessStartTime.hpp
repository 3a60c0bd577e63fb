#pragma once
// The start time of a process as the kernel reports it in /proc/<pid>/stat
// (field 22: clock ticks since boot). With the pid and the uid it names one
// process for good, where a pid alone may be reused once its process ended.

#include <cstdint>
#include <optional>
#include <string_view>

namespace Dotfield {

// The start time in one line of /proc/<pid>/stat. The command name (field 2)
// is in parentheses and may itself hold spaces and parentheses, so the fields
// are counted from the last ')'. Nothing when the line is malformed.
std::optional<std::uint64_t> startTimeFromProcessStat(std::string_view statLine);

// This process's start time; nothing when /proc cannot be read or parsed.
std::optional<std::uint64_t> currentProcessStartTime();

} // namespace Dotfield
