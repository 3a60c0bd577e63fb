#include "Dotfield/Printing/Document/PatternDocumentController.hpp"

#include <algorithm>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"
#include "Dotfield/Printing/Document/PatternFileTypes.hpp"

namespace Dotfield {

namespace {

std::filesystem::path normalised(const std::filesystem::path& file) {
    std::error_code error;
    auto absolute = std::filesystem::weakly_canonical(file, error);
    return error ? file.lexically_normal() : absolute;
}

} // namespace

PatternDocumentController::PatternDocumentController(std::shared_ptr<UserDefaults> userDefaults)
    : userDefaults_(std::move(userDefaults)) {}

std::shared_ptr<PatternDocument>
PatternDocumentController::makeDocumentWithContentsOfURL(const std::filesystem::path& file,
                                                         std::string_view typeName) {
    auto document = std::make_shared<PatternDocument>();
    document->readFromFile(file, typeName);
    if (updateParametersOnNewPattern) {
        updateParametersOnNewPattern();
    }
    handOver(*document);
    return document;
}

void PatternDocumentController::handOver(PatternDocument& document) {
    document.setRobot(robot);
    document.setElectronics(electronics);
    document.setSolutionWells(solutionWells);
    document.setSurfaceCant(surfaceCant);
    document.setRotation(rotation);
    document.setTopographyMap(topographyMap);
    document.recalibrationOperation = recalibrationOperation;
    document.solutionChangedInDispenserOperation = solutionChangedInDispenserOperation;
    document.errorHandler = errorHandler;
    document.setUVCuringMode(uvCuringMode);
    document.printPatternOperation = printPatternOperation;
    // A run maps its solutions to the wells as they stand when it starts.
    document.currentSolutionWells = [this] {
        if (updateParametersOnNewPattern) {
            updateParametersOnNewPattern();
        }
        return solutionWells;
    };
}

std::optional<PatternDocumentController::OpenedDocument>
PatternDocumentController::openDocument(const std::filesystem::path& file) {
    const auto path = normalised(file);
    if (auto open = documentForURL(path)) {
        noteNewRecentDocumentURL(path);
        return OpenedDocument{open, true};
    }
    std::string reason;
    try {
        const auto typeName = patternTypeNameForFile(path);
        if (!typeName) {
            throw PatternDocumentReadError(PatternDocumentReadError::Kind::unknownType,
                                           PatternDocument::unknownTypeMessage);
        }
        auto document = makeDocumentWithContentsOfURL(path, *typeName);
        PatternDocument* raw = document.get();
        document->documentClosedOperation = [this, raw] { forget(raw); };
        documents_.push_back(document);
        noteNewRecentDocumentURL(path);
        showImportNotes(*document);
        return OpenedDocument{document, false};
    } catch (const std::exception& error) {
        reason = error.what();
    }
    if (const auto presenter = currentAlertPresenter()) {
        presenter->runModalAlert({"OK", std::nullopt, couldNotOpenMessage(path), reason});
    }
    return std::nullopt;
}

void PatternDocumentController::showImportNotes(const PatternDocument& document) {
    const auto& notes = document.importNotes();
    const auto presenter = currentAlertPresenter();
    if (notes.empty() || !presenter) {
        return;
    }
    std::string text;
    for (const std::string& note : notes) {
        text += (text.empty() ? "" : "\n") + note;
    }
    presenter->runModalAlert({"OK", std::nullopt, notAllImportedMessage(document.fileURL()), text});
}

std::shared_ptr<PatternDocument> PatternDocumentController::documentForURL(const std::filesystem::path& file) const {
    const auto path = normalised(file);
    const auto found = std::find_if(documents_.begin(), documents_.end(),
                                    [&](const auto& document) { return document->fileURL() == path; });
    return found == documents_.end() ? nullptr : *found;
}

void PatternDocumentController::forget(const PatternDocument* document) {
    std::erase_if(documents_, [document](const auto& open) { return open.get() == document; });
}

std::string PatternDocumentController::couldNotOpenMessage(const std::filesystem::path& file) {
    return "The document \u201C" + file.filename().string() + "\u201D could not be opened.";
}

std::string PatternDocumentController::notAllImportedMessage(const std::filesystem::path& file) {
    return "Not everything in the document \u201C" + file.filename().string() + "\u201D could be imported.";
}

// ---- Recent files ------------------------------------------------------------------------------

std::vector<std::filesystem::path> PatternDocumentController::recentDocumentURLs() const {
    std::vector<std::filesystem::path> files;
    if (!userDefaults_) {
        return files;
    }
    const auto stored = userDefaults_->object(recentDocumentsKey);
    const auto* array = stored ? stored->as<PropertyListValue::Array>() : nullptr;
    if (!array) {
        return files;
    }
    for (const auto& entry : *array) {
        if (const auto* text = entry.as<std::string>(); text && files.size() < maximumRecentDocumentCount) {
            files.emplace_back(*text);
        }
    }
    return files;
}

void PatternDocumentController::noteNewRecentDocumentURL(const std::filesystem::path& file) {
    if (!userDefaults_) {
        return;
    }
    auto files = recentDocumentURLs();
    std::erase(files, file);
    files.insert(files.begin(), file);
    if (files.size() > maximumRecentDocumentCount) {
        files.resize(maximumRecentDocumentCount);
    }
    PropertyListValue::Array stored;
    for (const auto& entry : files) {
        stored.emplace_back(entry.string());
    }
    userDefaults_->setObject(recentDocumentsKey, PropertyListValue(std::move(stored)));
}

void PatternDocumentController::clearRecentDocuments() {
    if (userDefaults_) {
        userDefaults_->setObject(recentDocumentsKey, std::nullopt);
    }
}

} // namespace Dotfield
