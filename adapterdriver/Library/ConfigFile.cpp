#include "adapterdriver/Library/ConfigFile.hpp"

#include <cctype>
#include <fstream>
#include <mutex>
#include <optional>
#include <string_view>

#include <unistd.h>

namespace adapterdriver {

namespace {

struct SearchPath {
    std::mutex mutex;
    std::optional<std::vector<std::string>> custom;
};

SearchPath& searchPath() {
    static SearchPath path;
    return path;
}

std::vector<std::string> defaultSearchPath() {
    std::vector<std::string> paths;
    std::string directory(4096, '\0');
    if (getcwd(directory.data(), directory.size()) != nullptr) {
        directory.resize(std::char_traits<char>::length(directory.c_str()));
        paths.push_back(directory + "/adapterdriver.cfg");
    }
    paths.emplace_back("/usr/local/lib/adapterdriver.cfg");
    paths.emplace_back("/usr/lib/adapterdriver.cfg");
    return paths;
}

// One line without its newline; a carriage return stays part of it. Lines
// longer than the limit keep their first configLineLimit characters and the
// rest is skipped, so it is never taken for a line of its own.
std::string readLine(std::istream& in) {
    std::string line;
    char c = 0;
    while (in.get(c) && c != '\n') {
        if (line.size() < configLineLimit) {
            line.push_back(c);
        }
    }
    return line;
}

// A hexadecimal number as the C library's %X reads it: leading white space,
// an optional sign and 0x prefix, then at least one digit. Values beyond 32
// bits saturate.
std::optional<std::uint32_t> scanHex(std::string_view& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    auto isHex = [&](std::size_t at) {
        return at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at])) != 0;
    };
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') && isHex(i + 2)) {
        i += 2;
    }
    if (!isHex(i)) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    while (isHex(i)) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        const std::uint64_t digit =
            c <= '9' ? static_cast<std::uint64_t>(c - '0') : static_cast<std::uint64_t>(c - 'a' + 10);
        value = value > 0xFFFFFFFFull ? value : value * 16 + digit;
        ++i;
    }
    text.remove_prefix(i);
    std::uint32_t result = value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

bool consume(std::string_view& text, std::string_view literal) {
    if (!text.starts_with(literal)) {
        return false;
    }
    text.remove_prefix(literal.size());
    return true;
}

enum class Header { notAHeader, applies, doesNotApply };

Header classify(std::string_view line, const ConfigIdentity& device) {
    if (line == "[Globals]") {
        return Header::applies;
    }
    if (line.starts_with("[VID_")) {
        std::string_view rest = line;
        consume(rest, "[VID_");
        const auto vendor = scanHex(rest);
        if (!vendor || !consume(rest, "&PID_")) {
            return Header::doesNotApply;
        }
        const auto product = scanHex(rest);
        return product && *vendor == device.vendorId && *product == device.productId ? Header::applies
                                                                                     : Header::doesNotApply;
    }
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        return line.substr(1, line.size() - 2) == device.serialNumber ? Header::applies
                                                                      : Header::doesNotApply;
    }
    return Header::notAHeader;
}

} // namespace

std::uint32_t parseConfigFlags(std::istream& text, const ConfigIdentity& device) {
    std::string line = readLine(text);
    while (!line.empty()) {
        const Header header = classify(line, device);
        if (header == Header::notAHeader) {
            break;
        }
        const std::string next = readLine(text);
        if (header != Header::applies || next.size() < 12 || !next.starts_with("ConfigFlags=")) {
            break;
        }
        std::string_view value(next);
        consume(value, "ConfigFlags=");
        if (consume(value, "0x")) {
            if (const auto flags = scanHex(value)) {
                return *flags;
            }
        }
        line = readLine(text);
    }
    return 0;
}

std::uint32_t readConfigFlags(const ConfigIdentity& device) {
    std::vector<std::string> paths;
    {
        auto& path = searchPath();
        std::lock_guard guard(path.mutex);
        paths = path.custom ? *path.custom : defaultSearchPath();
    }
    for (const auto& file : paths) {
        std::ifstream in(file, std::ios::binary);
        if (in.is_open()) {
            return parseConfigFlags(in, device);
        }
    }
    return 0;
}

void setConfigFileSearchPath(std::vector<std::string> paths) {
    auto& path = searchPath();
    std::lock_guard guard(path.mutex);
    path.custom = std::move(paths);
}

void restoreDefaultConfigFileSearchPath() {
    auto& path = searchPath();
    std::lock_guard guard(path.mutex);
    path.custom.reset();
}

} // namespace adapterdriver
