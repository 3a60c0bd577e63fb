#include "Dotfield/Platform/FileChoosers/ScriptedOpenFileChooser.hpp"

namespace Dotfield {

void ScriptedOpenFileChooser::answer(std::optional<std::filesystem::path> file) {
    const std::lock_guard lock(mutex_);
    script_.push_back(std::move(file));
}

std::optional<std::filesystem::path> ScriptedOpenFileChooser::chooseOpenFile(const OpenFileRequest& request) {
    const std::lock_guard lock(mutex_);
    requests_.push_back(request);
    if (script_.empty()) {
        return std::nullopt;
    }
    auto file = std::move(script_.front());
    script_.pop_front();
    return file;
}

std::vector<OpenFileRequest> ScriptedOpenFileChooser::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

ScopedScriptedOpenFileChooser::ScopedScriptedOpenFileChooser()
    : chooser_(std::make_shared<ScriptedOpenFileChooser>()), previous_(installOpenFileChooser(chooser_)) {}

ScopedScriptedOpenFileChooser::~ScopedScriptedOpenFileChooser() { installOpenFileChooser(previous_); }

} // namespace Dotfield
