#pragma once
// Reading and writing the application's own files (settings, the delay
// calibration table, saved scans). Failures are the platform's file errors
// (std::filesystem::filesystem_error with the path and the reason).

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace Dotfield {

// The whole file as bytes. A file larger than maximumSize is refused
// (file_too_large) rather than read, so a wrong file cannot exhaust memory.
std::string readTextFile(const std::filesystem::path& file, std::size_t maximumSize);

// Replaces the file with the text in one atomic step: the text goes to a new
// temporary file beside it, is flushed to the disk and renamed over the file,
// so a reader sees either the old file or the whole new one. On failure the
// old file is untouched and no temporary file is left behind.
void writeFileAtomically(const std::filesystem::path& file, std::string_view text);

// Calls the function with every line of the text, without its line feed or a
// carriage return before it. A final line without a line feed counts; the
// empty piece after a final line feed does not.
template <typename LineFunction>
void forEachLine(std::string_view text, LineFunction&& function) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        function(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
}

} // namespace Dotfield
