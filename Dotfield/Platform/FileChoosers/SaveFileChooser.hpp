#pragma once
// Asks the operator where to save a file. The application installs the Qt
// chooser (a save dialog that confirms overwriting an existing file); tests
// install a scripted one. Always called on the main thread.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace Dotfield {

struct SaveFileRequest {
    // The dialog's one name filter, e.g. "Patterns (*.pattern)".
    std::string nameFilter;
    // Added to a chosen name that has no suffix.
    std::string defaultSuffix;
    // The file proposed when the dialog opens (folder and name).
    std::filesystem::path proposedFile;
};

class SaveFileChooser {
  public:
    virtual ~SaveFileChooser() = default;
    // The chosen file, or nothing when the operator cancelled.
    virtual std::optional<std::filesystem::path> chooseSaveFile(const SaveFileRequest& request) = 0;
};

// Replaces the process's chooser and answers the previous one. Without an
// installed chooser every request is answered as cancelled.
std::shared_ptr<SaveFileChooser> installSaveFileChooser(std::shared_ptr<SaveFileChooser> chooser);
std::shared_ptr<SaveFileChooser> currentSaveFileChooser();

// The suffix rule of a save dialog: the default suffix is added when the chosen
// name has none.
std::filesystem::path withDefaultSuffix(std::filesystem::path file, const std::string& defaultSuffix);

} // namespace Dotfield
