#include "VeltranePatterns/Source/Import/StreamingLineReader.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace VeltranePatterns {

namespace {

constexpr std::size_t readChunk = 64 * 1024;

// The position of the first byte from `from` on that is not ASCII, or the size.
// Eight bytes are tested at a time.
std::size_t endOfASCII(std::string_view bytes, std::size_t from) {
    constexpr std::uint64_t highBits = 0x8080808080808080u;
    std::size_t i = from;
    while (i + 8 <= bytes.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, 8);
        if ((word & highBits) != 0) {
            break;
        }
        i += 8;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) {
        ++i;
    }
    return i;
}

// The length of the line at the start of the bytes, up to its terminator, or
// nothing when the bytes hold none.
std::optional<std::size_t> lineLength(const char* begin, std::size_t available, char terminator) {
    const void* end = std::memchr(begin, terminator, available);
    if (end == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(static_cast<const char*>(end) - begin);
}

} // namespace

std::unique_ptr<StreamingLineReader> StreamingLineReader::open(const std::filesystem::path& path) {
    // Only regular files: opening a pipe would wait for a writer, and a device
    // such as /dev/zero gives bytes without end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return nullptr;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<StreamingLineReader>(new StreamingLineReader(file));
}

StreamingLineReader::StreamingLineReader(std::FILE* file) : file_(file), buffer_(readChunk) {}

StreamingLineReader::~StreamingLineReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool StreamingLineReader::refill() {
    if (endOfFile_) {
        return false;
    }
    bufferStart_ = 0;
    bufferEnd_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (bufferEnd_ == 0) {
        endOfFile_ = true;
        return false;
    }
    if (!terminatorKnown_) {
        // Lines end with LF (a CR before it is trimmed with the line) unless the
        // file ends them with a CR alone, as some older programs do.
        const bool lineFeed = std::memchr(buffer_.data(), '\n', bufferEnd_) != nullptr;
        const bool carriageReturn = std::memchr(buffer_.data(), '\r', bufferEnd_) != nullptr;
        terminatorKnown_ = lineFeed || carriageReturn;
        terminator_ = !lineFeed && carriageReturn ? '\r' : '\n';
    }
    return true;
}

// Moves past the terminator at the position; a CR's LF may lie in the next chunk.
void StreamingLineReader::skipTerminator() {
    const char terminator = buffer_[bufferStart_];
    ++bufferStart_;
    if (terminator == '\r') {
        if (bufferStart_ < bufferEnd_) {
            if (buffer_[bufferStart_] == '\n') {
                ++bufferStart_;
            }
        } else {
            skipLineFeed_ = true;
        }
    }
}

std::optional<std::string_view> StreamingLineReader::readRawLine() {
    if (bufferStart_ == bufferEnd_ && !refill()) {
        return std::nullopt;
    }
    if (skipLineFeed_) {
        // The LF of a CR LF that was split between two chunks.
        skipLineFeed_ = false;
        if (buffer_[bufferStart_] == '\n' && ++bufferStart_ == bufferEnd_ && !refill()) {
            return std::nullopt;
        }
    }
    // Almost every line lies whole in the buffer: hand it out where it is.
    const char* begin = buffer_.data() + bufferStart_;
    std::size_t available = bufferEnd_ - bufferStart_;
    auto length = lineLength(begin, available, terminator_);
    if (length) {
        bufferStart_ += *length;
        skipTerminator();
        return std::string_view(begin, *length);
    }
    // The line runs past the buffer: collect it across chunks, up to the longest kept.
    raw_.clear();
    while (true) {
        const std::size_t taken = length.value_or(available);
        if (raw_.size() < maximumLineLength) {
            raw_.append(begin, std::min(taken, maximumLineLength - raw_.size()));
        }
        bufferStart_ += taken;
        if (length) {
            skipTerminator();
            return std::string_view(raw_);
        }
        if (!refill()) {
            return std::string_view(raw_); // a last line without a terminator
        }
        begin = buffer_.data();
        available = bufferEnd_;
        length = lineLength(begin, available, terminator_);
    }
}

std::optional<std::string_view> StreamingLineReader::nextLineView() {
    const auto raw = readRawLine();
    if (!raw) {
        return std::nullopt;
    }
    const std::string_view line = trimImportLine(*raw);
    if (endOfASCII(line, 0) == line.size()) {
        return line; // nothing to decode
    }
    decoded_ = repairUTF8(line);
    return std::string_view(decoded_);
}

std::optional<std::string> StreamingLineReader::nextLine() {
    const auto line = nextLineView();
    if (!line) {
        return std::nullopt;
    }
    return std::string(*line);
}

std::string_view trimImportLine(std::string_view raw) {
    std::size_t start = 0;
    while (start < raw.size() && raw[start] == ' ') {
        ++start;
    }
    std::size_t end = start;
    while (end < raw.size() && raw[end] != '\0' && raw[end] != '\n' && raw[end] != '\r') {
        ++end;
    }
    return raw.substr(start, end - start);
}

std::string repairUTF8(std::string_view bytes) {
    const std::size_t n = bytes.size();
    std::size_t i = endOfASCII(bytes, 0);
    if (i == n) {
        return std::string(bytes); // the common case: nothing to decode
    }
    std::string out;
    out.reserve(n + 8);
    out.append(bytes.substr(0, i));
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    static constexpr char replacement[] = "\xEF\xBF\xBD";
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            const std::size_t end = endOfASCII(bytes, i);
            out.append(bytes.substr(i, end - i));
            i = end;
            continue;
        }
        // Expected length and the allowed range of the second byte (Unicode table 3-7).
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        }
        if (length == 0) {
            out.append(replacement);
            ++i;
            continue;
        }
        std::size_t valid = 1;
        while (valid < length && i + valid < n) {
            const unsigned char b = s[i + valid];
            const unsigned char lo = valid == 1 ? low : 0x80;
            const unsigned char hi = valid == 1 ? high : 0xBF;
            if (b < lo || b > hi) {
                break;
            }
            ++valid;
        }
        if (valid == length) {
            out.append(bytes.substr(i, length));
        } else {
            out.append(replacement); // one replacement for the maximal valid prefix
        }
        i += valid;
    }
    return out;
}

} // namespace VeltranePatterns
