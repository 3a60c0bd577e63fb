#include "Dotfield/Platform/Files/UserFilePermissions.hpp"

#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <string>

namespace Dotfield {

namespace fs = std::filesystem;

namespace {

// The kernel reports the umask without changing it ("Umask:\t0022").
std::optional<mode_t> reportedUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("Umask:")) {
            try {
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
            } catch (...) {
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

mode_t currentUmask() {
    if (const auto reported = reportedUmask()) {
        return *reported;
    }
    // Without /proc: read it by setting it, and put it straight back.
    const mode_t mask = ::umask(0077);
    ::umask(mask);
    return mask;
}

} // namespace

fs::perms userFilePermissions() {
    return static_cast<fs::perms>(0666 & ~currentUmask());
}

void applyUserFilePermissions(const fs::path& file) {
    fs::permissions(file, userFilePermissions(), fs::perm_options::replace);
}

} // namespace Dotfield
