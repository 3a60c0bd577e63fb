#pragma once
// The application's open-file chooser: a modal Qt open dialog with one name filter.

#include "Dotfield/Platform/FileChoosers/OpenFileChooser.hpp"

namespace Dotfield {

class QtOpenFileChooser final : public OpenFileChooser {
  public:
    std::optional<std::filesystem::path> chooseOpenFile(const OpenFileRequest& request) override;
};

} // namespace Dotfield
