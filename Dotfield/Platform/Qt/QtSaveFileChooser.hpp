#pragma once
// The application's save-file chooser: a modal Qt save dialog with one name
// filter and a default suffix, which asks before overwriting a file.

#include "Dotfield/Platform/FileChoosers/SaveFileChooser.hpp"

namespace Dotfield {

class QtSaveFileChooser final : public SaveFileChooser {
  public:
    std::optional<std::filesystem::path> chooseSaveFile(const SaveFileRequest& request) override;
};

} // namespace Dotfield
