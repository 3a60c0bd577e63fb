#pragma once
// A save-file chooser for tests: it records every request and answers from a
// script, playing the operator who picks a file (and confirms overwriting it)
// or cancels.

#include "Dotfield/Platform/FileChoosers/SaveFileChooser.hpp"
#include "Dotfield/Platform/FileChoosers/ScriptedFileChooser.hpp"

namespace Dotfield {

class ScriptedSaveFileChooser final : public SaveFileChooser, public FileChooserScript<SaveFileRequest> {
  public:
    // A picked file gets the request's default suffix when it has none.
    std::optional<std::filesystem::path> chooseSaveFile(const SaveFileRequest& request) override;
};

using ScopedScriptedSaveFileChooser =
    ScopedScriptedChooser<ScriptedSaveFileChooser, SaveFileChooser, &installSaveFileChooser>;

} // namespace Dotfield
