// The document's one way of writing a file: export as pattern XML.

#include <set>

#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"
#include "Dotfield/Platform/FileChoosers/SaveFileChooser.hpp"
#include "Dotfield/Platform/Files/StaleTemporaryFiles.hpp"
#include "Dotfield/Platform/Files/UserFilePermissions.hpp"
#include "Dotfield/Printing/Document/PatternDocument.hpp"

namespace Dotfield {

std::filesystem::path PatternDocument::proposedExportFile() const {
    std::filesystem::path file = fileURL_;
    return file.replace_extension(".pattern");
}

bool PatternDocument::exportPattern() {
    const auto chooser = currentSaveFileChooser();
    if (!chooser) {
        return false;
    }
    const auto file = chooser->chooseSaveFile({"Patterns (*.pattern)", "pattern", proposedExportFile()});
    const auto pattern = this->pattern();
    if (!file || !pattern) {
        return false;
    }
    const std::set<std::string> disabled = preview_ ? preview_->disabledLayers() : std::set<std::string>{};
    try {
        removeStaleTemporaryFiles(*file);
        pattern->writeXMLRepresentation(*file, scalingFromUnitsToMicrons(), featureWidth(), disabled);
        applyUserFilePermissions(*file);
        return true;
    } catch (const std::exception& error) {
        if (auto presenter = currentAlertPresenter()) {
            presenter->runModalAlert({"OK", std::nullopt, exportFailedMessage, error.what()});
        }
        return false;
    }
}

} // namespace Dotfield
