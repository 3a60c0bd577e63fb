#include "Dotfield/Instrument/HelperFunctions/ApplicationSupportDirectory.hpp"

#include <mutex>
#include <system_error>

#include "Dotfield/Instrument/Errors/ApplicationSupportDirectoryError.hpp"
#include "Dotfield/Platform/UserDirectories.hpp"

namespace Dotfield {

namespace {

std::mutex subfolderMutex;
std::filesystem::path& configuredSubfolder() {
    static std::filesystem::path subfolder;
    return subfolder;
}

std::filesystem::path applicationSupportSubfolder() {
    std::lock_guard lock(subfolderMutex);
    return configuredSubfolder();
}

} // namespace

void setApplicationSupportSubfolder(const std::filesystem::path& subfolder) {
    std::lock_guard lock(subfolderMutex);
    configuredSubfolder() = subfolder;
}

std::filesystem::path applicationSupportDirectory(std::string_view fileName) {
    const auto dataFolder = userDataDirectory();
    if (!dataFolder) {
        throw ApplicationSupportDirectoryError({}, "neither XDG_DATA_HOME nor HOME names a folder");
    }
    return applicationSupportDirectory(fileName, *dataFolder);
}

std::filesystem::path applicationSupportDirectory(std::string_view fileName,
                                                  const std::filesystem::path& userDataFolder) {
    const std::filesystem::path name(fileName);
    if (name.empty() || name.is_absolute() || name.has_root_name()) {
        throw ApplicationSupportDirectoryError(name, "not a relative file name");
    }
    for (const auto& part : name) {
        if (part == "..") {
            throw ApplicationSupportDirectoryError(name, "the file name leaves the application's folder");
        }
    }

    std::filesystem::path folder = userDataFolder / "Dotfield";
    if (const auto subfolder = applicationSupportSubfolder(); !subfolder.empty()) {
        folder /= subfolder;
    }
    std::error_code error;
    // The user's data folder itself may be missing on a fresh account.
    std::filesystem::create_directories(userDataFolder, error);
    if (error) {
        throw ApplicationSupportDirectoryError(userDataFolder, error.message());
    }
    if (!std::filesystem::exists(folder, error)) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            throw ApplicationSupportDirectoryError(folder, error.message());
        }
    }
    if (!std::filesystem::is_directory(folder, error)) {
        throw ApplicationSupportDirectoryError(folder, "something other than a folder is in the way");
    }
    return folder / name;
}

} // namespace Dotfield
