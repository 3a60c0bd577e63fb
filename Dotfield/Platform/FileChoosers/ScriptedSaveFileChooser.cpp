#include "Dotfield/Platform/FileChoosers/ScriptedSaveFileChooser.hpp"

namespace Dotfield {

std::optional<std::filesystem::path> ScriptedSaveFileChooser::chooseSaveFile(const SaveFileRequest& request) {
    const auto file = nextAnswer(request);
    if (file) {
        return withDefaultSuffix(*file, request.defaultSuffix);
    }
    return std::nullopt;
}

} // namespace Dotfield
