#pragma once
// Hands the text of an import file to a parser one line at a time, without
// loading the whole file: leading spaces and the line terminator (LF, CR LF, or
// a CR alone in a file that ends its lines so) removed, decoded as UTF-8 with
// ill-formed bytes replaced by U+FFFD.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace VeltranePatterns {

class StreamingLineReader {
public:
    // Longest line kept; the rest of a longer line is read and dropped, so a
    // hostile file cannot make one line take unbounded memory.
    static constexpr std::size_t maximumLineLength = 16 * 1024 * 1024;

    // A reader over the file at the path, or nothing when there is no regular file there.
    static std::unique_ptr<StreamingLineReader> open(const std::filesystem::path& path);

    ~StreamingLineReader();
    StreamingLineReader(const StreamingLineReader&) = delete;
    StreamingLineReader& operator=(const StreamingLineReader&) = delete;

    // The next line, or nothing at the end of the input (and on every call after).
    std::optional<std::string> nextLine();
    // The same line as a view that stays valid until the next call, for callers
    // that only look at a line before reading on: no copy of it is made.
    std::optional<std::string_view> nextLineView();

private:
    explicit StreamingLineReader(std::FILE* file);
    // The next line without its LF, or nothing at the end of the input. A view
    // into the read buffer when the line lies in it whole, else into raw_;
    // valid until the next call.
    std::optional<std::string_view> readRawLine();
    // Reads the next chunk of the file into the buffer; false at the end of input.
    bool refill();
    void skipTerminator();

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t bufferStart_ = 0;
    std::size_t bufferEnd_ = 0;
    bool endOfFile_ = false;
    // LF, or CR for a file whose lines end with a CR alone; decided by the
    // first chunk that holds either.
    char terminator_ = '\n';
    bool terminatorKnown_ = false;
    // A line ended at a CR at the very end of a chunk: an LF that follows belongs to it.
    bool skipLineFeed_ = false;
    // A line that runs past the end of the buffer, collected across chunks.
    std::string raw_;
    // The current line when it needed repair.
    std::string decoded_;
};

// Leading spaces skipped (tabs kept), cut at the first NUL, LF or CR.
std::string_view trimImportLine(std::string_view raw);

// UTF-8 decoding with repair: each maximal ill-formed subsequence becomes U+FFFD.
std::string repairUTF8(std::string_view bytes);

} // namespace VeltranePatterns
