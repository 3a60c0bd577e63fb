#pragma once
// Where the application keeps the files it exports and reloads (the scan
// export, the topography map): a folder "Dotfield" in the user's data folder.

#include <filesystem>
#include <string_view>

namespace Dotfield {

// The named file's location inside the application's folder, creating the
// folder when it is missing. The name must be a plain relative name.
// Throws ApplicationSupportDirectoryError when the folder cannot be had.
std::filesystem::path applicationSupportDirectory(std::string_view fileName);

// Keeps the application's files in this subfolder of its folder from now on
// (a simulated instrument's files apart from a real one's); an empty path
// restores the folder itself. The subfolder must be a plain relative name.
void setApplicationSupportSubfolder(const std::filesystem::path& subfolder);

// The same under a given user data folder (tests use a temporary one).
std::filesystem::path applicationSupportDirectory(std::string_view fileName,
                                                  const std::filesystem::path& userDataFolder);

} // namespace Dotfield
