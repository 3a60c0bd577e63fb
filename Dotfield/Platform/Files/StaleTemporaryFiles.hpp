#pragma once
// An atomic write goes through a temporary file beside its target, named
// after it with six characters added ("settings.plist.Ab3xY9"). A run killed
// between creating that file and renaming it leaves it behind; these are
// removed when the target is next opened or written.

#include <chrono>
#include <filesystem>

namespace Dotfield {

// A temporary file younger than this may belong to a write under way in
// another instance, and is left alone.
inline constexpr std::chrono::minutes staleTemporaryFileAge{1};

// Removes the temporary files of the target's atomic writes that were last
// modified more than staleTemporaryFileAge ago. Never fails: what cannot be
// listed or removed stays.
void removeStaleTemporaryFiles(const std::filesystem::path& target);

} // namespace Dotfield
