#include "Dotfield/Platform/FileChoosers/ScriptedSaveFileChooser.hpp"

namespace Dotfield {

void ScriptedSaveFileChooser::answer(std::optional<std::filesystem::path> file) {
    const std::lock_guard lock(mutex_);
    script_.push_back(std::move(file));
}

std::optional<std::filesystem::path> ScriptedSaveFileChooser::chooseSaveFile(const SaveFileRequest& request) {
    const std::lock_guard lock(mutex_);
    requests_.push_back(request);
    if (script_.empty()) {
        return std::nullopt;
    }
    auto file = std::move(script_.front());
    script_.pop_front();
    if (file) {
        return withDefaultSuffix(*file, request.defaultSuffix);
    }
    return std::nullopt;
}

std::vector<SaveFileRequest> ScriptedSaveFileChooser::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

ScopedScriptedSaveFileChooser::ScopedScriptedSaveFileChooser()
    : chooser_(std::make_shared<ScriptedSaveFileChooser>()), previous_(installSaveFileChooser(chooser_)) {}

ScopedScriptedSaveFileChooser::~ScopedScriptedSaveFileChooser() { installSaveFileChooser(previous_); }

} // namespace Dotfield
