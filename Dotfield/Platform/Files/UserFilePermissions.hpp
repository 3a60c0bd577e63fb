#pragma once
// Files the user keeps (exported patterns) get the permissions any program
// gives a new file: read and write for everyone, less what the user's umask
// takes away. The temporary file of an atomic write is made 0600, so the
// finished file is set to these.

#include <filesystem>

namespace Dotfield {

// 0666 without the bits of the process's umask.
std::filesystem::perms userFilePermissions();

// Sets the file's permissions to userFilePermissions(). Throws the platform's
// file error.
void applyUserFilePermissions(const std::filesystem::path& file);

} // namespace Dotfield
