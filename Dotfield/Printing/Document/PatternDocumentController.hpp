#pragma once
// The application's one document controller. The delegate makes it first
// thing and keeps it supplied with the current devices, calibrations and
// operations; whenever a pattern file opens, it reads the document and hands
// it everything it needs to preview and print. It keeps the open documents
// (a file already open is not read twice) and the recent files (the ten last
// opened, newest first, under "recentDocuments").
//
// Main thread only.

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Dotfield/Printing/Document/PatternDocument.hpp"
#include "Dotfield/Printing/Document/PatternPrintRun.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class Electronics;
class Robot;
class SurfaceTopographyMap;
class UserDefaults;

class PatternDocumentController {
  public:
    static constexpr const char* recentDocumentsKey = "recentDocuments";
    static constexpr std::size_t maximumRecentDocumentCount = 10;

    explicit PatternDocumentController(std::shared_ptr<UserDefaults> userDefaults = nullptr);

    // ---- What every new document is handed (set by the delegate) ----------------------

    std::shared_ptr<Robot> robot;
    std::shared_ptr<Electronics> electronics;
    std::vector<SolutionWell> solutionWells;
    SurfaceCant surfaceCant;
    Zovudidova::Angle rotation = Zovudidova::degrees(0.0);
    std::shared_ptr<SurfaceTopographyMap> topographyMap;
    std::function<void()> recalibrationOperation;
    std::function<void(const SolutionWell&, bool)> solutionChangedInDispenserOperation;
    // Run before every hand-over so that the delegate can refresh the fields above.
    std::function<void()> updateParametersOnNewPattern;
    std::function<void(std::exception_ptr)> errorHandler;
    std::optional<UVCuringPatternMode> uvCuringMode;
    // The printing engine the documents print with.
    PrintPatternOperation printPatternOperation = [](const PatternPrintRun& run) { printWithEngine(run); };

    // ---- Opening ------------------------------------------------------------------------

    // Reads the file as a document of the type and hands it over. A file that
    // does not read throws PatternDocumentReadError before anything is handed
    // over or run.
    std::shared_ptr<PatternDocument> makeDocumentWithContentsOfURL(const std::filesystem::path& file,
                                                                   std::string_view typeName);

    struct OpenedDocument {
        std::shared_ptr<PatternDocument> document;
        // The file was open already: its window comes forward.
        bool alreadyOpen = false;
    };
    // Opens a file chosen by the operator (File > Open…, Open Recent, the
    // command line): its type by extension, the document made and remembered
    // among the open and the recent ones. A failure is shown in the alert
    // "The document “name” could not be opened." with the reason, and
    // answers nothing. A drawing or photoplot that opens with parts left out
    // or unreadable shows them, one line each, in the alert "Not everything
    // in the document “name” could be imported."
    std::optional<OpenedDocument> openDocument(const std::filesystem::path& file);

    std::shared_ptr<PatternDocument> documentForURL(const std::filesystem::path& file) const;
    const std::vector<std::shared_ptr<PatternDocument>>& documents() const { return documents_; }

    // ---- Recent files ------------------------------------------------------------------

    std::vector<std::filesystem::path> recentDocumentURLs() const;
    void noteNewRecentDocumentURL(const std::filesystem::path& file);
    void clearRecentDocuments();

    // "The document “name” could not be opened."
    static std::string couldNotOpenMessage(const std::filesystem::path& file);
    // "Not everything in the document “name” could be imported."
    static std::string notAllImportedMessage(const std::filesystem::path& file);

  private:
    void handOver(PatternDocument& document);
    void showImportNotes(const PatternDocument& document);
    void forget(const PatternDocument* document);

    std::shared_ptr<UserDefaults> userDefaults_;
    std::vector<std::shared_ptr<PatternDocument>> documents_;
};

} // namespace Dotfield
