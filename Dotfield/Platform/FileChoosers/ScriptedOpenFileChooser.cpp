#include "Dotfield/Platform/FileChoosers/ScriptedOpenFileChooser.hpp"

namespace Dotfield {

std::optional<std::filesystem::path> ScriptedOpenFileChooser::chooseOpenFile(const OpenFileRequest& request) {
    return nextAnswer(request);
}

} // namespace Dotfield
