#include "Dotfield/Platform/UserDirectories.hpp"

#include <cstdlib>

namespace Dotfield {

namespace {

std::optional<std::filesystem::path> absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    std::filesystem::path path(value);
    if (!path.is_absolute()) {
        return std::nullopt;
    }
    return path;
}

std::optional<std::filesystem::path> xdgDirectory(const char* variable, const char* fallbackUnderHome) {
    if (auto path = absoluteFromEnvironment(variable)) {
        return path;
    }
    if (auto home = absoluteFromEnvironment("HOME")) {
        return *home / fallbackUnderHome;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::filesystem::path> userDataDirectory() {
    return xdgDirectory("XDG_DATA_HOME", ".local/share");
}

std::optional<std::filesystem::path> userConfigurationDirectory() {
    return xdgDirectory("XDG_CONFIG_HOME", ".config");
}

} // namespace Dotfield
