#pragma once
// Asks the operator for a file to open. The application installs the Qt
// chooser (an open dialog); tests install a scripted one. Always called on the
// main thread.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace Dotfield {

struct OpenFileRequest {
    // The dialog's one name filter, e.g. "Topography maps (*.csv)".
    std::string nameFilter;
    // The folder the dialog opens in; empty: the dialog's own choice.
    std::filesystem::path folder;
};

class OpenFileChooser {
  public:
    virtual ~OpenFileChooser() = default;
    // The chosen file, or nothing when the operator cancelled.
    virtual std::optional<std::filesystem::path> chooseOpenFile(const OpenFileRequest& request) = 0;
};

// Replaces the process's chooser and answers the previous one. Without an
// installed chooser every request is answered as cancelled.
std::shared_ptr<OpenFileChooser> installOpenFileChooser(std::shared_ptr<OpenFileChooser> chooser);
std::shared_ptr<OpenFileChooser> currentOpenFileChooser();

} // namespace Dotfield
