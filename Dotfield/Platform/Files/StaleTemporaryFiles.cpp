#include "Dotfield/Platform/Files/StaleTemporaryFiles.hpp"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

namespace Dotfield {

namespace fs = std::filesystem;

namespace {

// The target's name, a dot and the six letters or digits mkstemp adds.
bool isTemporaryFileOf(const std::string& name, const std::string& target) {
    constexpr std::size_t suffixLength = 6;
    if (name.size() != target.size() + 1 + suffixLength || !name.starts_with(target) ||
        name[target.size()] != '.') {
        return false;
    }
    return std::all_of(name.end() - suffixLength, name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

} // namespace

void removeStaleTemporaryFiles(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string targetName = target.filename().string();
    const auto cutoff = fs::file_time_type::clock::now() - staleTemporaryFileAge;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code ignored;
        if (!isTemporaryFileOf(entry->path().filename().string(), targetName) ||
            !entry->is_regular_file(ignored)) {
            continue;
        }
        const auto modified = entry->last_write_time(ignored);
        if (!ignored && modified < cutoff) {
            fs::remove(entry->path(), ignored);
        }
    }
}

} // namespace Dotfield
