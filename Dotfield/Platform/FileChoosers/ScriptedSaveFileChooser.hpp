#pragma once
// A save-file chooser for tests: it records every request and answers from a
// script, playing the operator who picks a file (and confirms overwriting it)
// or cancels.

#include <deque>
#include <mutex>
#include <vector>

#include "Dotfield/Platform/FileChoosers/SaveFileChooser.hpp"

namespace Dotfield {

class ScriptedSaveFileChooser final : public SaveFileChooser {
  public:
    // Queues the answer to the next request; nothing plays a cancel. A script
    // that has run out cancels.
    void answer(std::optional<std::filesystem::path> file);
    std::optional<std::filesystem::path> chooseSaveFile(const SaveFileRequest& request) override;
    std::vector<SaveFileRequest> requests() const;

  private:
    mutable std::mutex mutex_;
    std::deque<std::optional<std::filesystem::path>> script_;
    std::vector<SaveFileRequest> requests_;
};

// Installs a scripted chooser for the lifetime of the object and restores the
// previous chooser afterwards.
class ScopedScriptedSaveFileChooser {
  public:
    ScopedScriptedSaveFileChooser();
    ~ScopedScriptedSaveFileChooser();
    ScopedScriptedSaveFileChooser(const ScopedScriptedSaveFileChooser&) = delete;
    ScopedScriptedSaveFileChooser& operator=(const ScopedScriptedSaveFileChooser&) = delete;
    ScriptedSaveFileChooser& chooser() { return *chooser_; }

  private:
    std::shared_ptr<ScriptedSaveFileChooser> chooser_;
    std::shared_ptr<SaveFileChooser> previous_;
};

} // namespace Dotfield
