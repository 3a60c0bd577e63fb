#pragma once
// A settings file of the benchmark's own in the temporary folder, removed
// afterwards, so that settings are measured as the application keeps them:
// through a file.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace SettingsBenchmarks {

class ScratchSettingsFile {
  public:
    explicit ScratchSettingsFile(const std::string& name = "settings")
        : path_(std::filesystem::temp_directory_path() /
                ("dotfield-bench-" + name + "-" + std::to_string(::getpid()) + ".plist")) {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    ~ScratchSettingsFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    ScratchSettingsFile(const ScratchSettingsFile&) = delete;
    ScratchSettingsFile& operator=(const ScratchSettingsFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

} // namespace SettingsBenchmarks
