#pragma once
// An open-file chooser for tests: it records every request and answers from a
// script, playing the operator who picks a file or cancels.

#include <deque>
#include <mutex>
#include <vector>

#include "Dotfield/Platform/FileChoosers/OpenFileChooser.hpp"

namespace Dotfield {

class ScriptedOpenFileChooser final : public OpenFileChooser {
  public:
    // Queues the answer to the next request; nothing plays a cancel. A script
    // that has run out cancels.
    void answer(std::optional<std::filesystem::path> file);
    std::optional<std::filesystem::path> chooseOpenFile(const OpenFileRequest& request) override;
    std::vector<OpenFileRequest> requests() const;

  private:
    mutable std::mutex mutex_;
    std::deque<std::optional<std::filesystem::path>> script_;
    std::vector<OpenFileRequest> requests_;
};

// Installs a scripted chooser for the lifetime of the object and restores the
// previous chooser afterwards.
class ScopedScriptedOpenFileChooser {
  public:
    ScopedScriptedOpenFileChooser();
    ~ScopedScriptedOpenFileChooser();
    ScopedScriptedOpenFileChooser(const ScopedScriptedOpenFileChooser&) = delete;
    ScopedScriptedOpenFileChooser& operator=(const ScopedScriptedOpenFileChooser&) = delete;
    ScriptedOpenFileChooser& chooser() { return *chooser_; }

  private:
    std::shared_ptr<ScriptedOpenFileChooser> chooser_;
    std::shared_ptr<OpenFileChooser> previous_;
};

} // namespace Dotfield
