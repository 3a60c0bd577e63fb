#pragma once
// An open-file chooser for tests: it records every request and answers from a
// script, playing the operator who picks a file or cancels.

#include "Dotfield/Platform/FileChoosers/OpenFileChooser.hpp"
#include "Dotfield/Platform/FileChoosers/ScriptedFileChooser.hpp"

namespace Dotfield {

class ScriptedOpenFileChooser final : public OpenFileChooser, public FileChooserScript<OpenFileRequest> {
  public:
    std::optional<std::filesystem::path> chooseOpenFile(const OpenFileRequest& request) override;
};

using ScopedScriptedOpenFileChooser =
    ScopedScriptedChooser<ScriptedOpenFileChooser, OpenFileChooser, &installOpenFileChooser>;

} // namespace Dotfield
