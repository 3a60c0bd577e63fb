#pragma once
// The user's folders as the freedesktop base-directory rules give them: data in
// $XDG_DATA_HOME (else ~/.local/share), configuration in $XDG_CONFIG_HOME (else
// ~/.config). A relative XDG path is ignored, as the rules ask. Nothing when
// neither the variable nor HOME gives an absolute path.

#include <filesystem>
#include <optional>

namespace Dotfield {

std::optional<std::filesystem::path> userDataDirectory();
std::optional<std::filesystem::path> userConfigurationDirectory();

} // namespace Dotfield
