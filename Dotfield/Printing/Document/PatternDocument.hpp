#pragma once
// One opened pattern file: the pattern as read, where the operator places it
// (origin), how its units become microns (scale), its feature width, where a
// print starts, which solution layers print and from which well, and the
// options of a print run. The document reads the file, prepares its window and
// preview when the window loads, and exports the pattern as pattern XML.
//
// Every observable field's setter tells the observers, also when the value is
// unchanged (a micron pattern's width labels depend on the scale observer
// running). The fields a print run reads from the robot's queue are atomics or
// sit behind the document's mutex; everything else runs on the main thread.
//
// Printing (PatternDocumentPrinting.cpp): the pause button starts, pauses and
// resumes a print, the cancel button stops it, resume-from-here shifts the
// rest of a paused print by the operator's move. A run goes to the robot's
// queue; it holds the document to its end, records its progress so a paused
// print resumes at the item not yet printed, and closes the document (once)
// when it finished or was cancelled. Observers are told on the main thread
// only: the run posts its changes there.

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Dotfield/Printing/Document/PatternPreviewTarget.hpp"
#include "Dotfield/Printing/Document/PatternPrintRun.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"
#include "Dotfield/Robotics/SurfaceCant.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class Robot;
class Electronics;
class SurfaceTopographyMap;

// Why a file did not open as a document.
class PatternDocumentReadError : public std::runtime_error {
  public:
    enum class Kind { unknownType, unreadable };
    PatternDocumentReadError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

// What the document needs of its window besides the preview.
class PatternDocumentWindowSide {
  public:
    virtual ~PatternDocumentWindowSide() = default;
    virtual void showScaleText(const std::string& text) = 0;
    virtual void closeDocumentWindow() = 0;
    // Ends and commits the editing under way (a starting field being typed).
    virtual void endEditing() = 0;
};

class PatternDocument : public std::enable_shared_from_this<PatternDocument> {
  public:
    using Pattern = VeltranePatterns::Pattern;
    using Coordinate = VeltranePatterns::Coordinate;
    // Told the name of every observable field that was set.
    using PropertyObserver = std::function<void(std::string_view property)>;

    static constexpr const char* solutionInDispenserTitle = "Solution in dispenser";
    static constexpr const char* unknownTypeMessage = "Dotfield cannot open files of this type.";
    static constexpr const char* unreadableFileMessage = "The file could not be read as a pattern.";
    static constexpr const char* exportFailedMessage = "The pattern could not be exported.";
    static constexpr const char* needsPositionerMessage = "The pattern cannot be shown.";
    static constexpr const char* needsPositionerText =
        "Patterns need a positioner. Connect the positioner and open the pattern again.";
    static constexpr const char* pauseTitle = "Pause";
    static constexpr const char* resumeTitle = "Resume";
    static constexpr const char* cancelledStatus = "Dispense status: Cancelled";
    static constexpr const char* outOfRangeMessage = "Pattern elements outside of printable range.";
    static constexpr const char* outOfRangeText =
        "Parts of this pattern are outside of the movement range of the system. These elements will not be "
        "drawn correctly. Are you sure you wish to continue with printing?";
    static constexpr const char* missingWellText =
        "Choose a well for this solution in the solution table, then print again.";

    struct Limits {
        double minX = 0.0;
        double maxX = 0.0;
        double minY = 0.0;
        double maxY = 0.0;
    };

    PatternDocument();

    // ---- Reading -------------------------------------------------------------------

    // Reads the file with the reader of the type name ("DXF", "Gerber",
    // "Pattern"). Throws PatternDocumentReadError for any other type and for a
    // file that gives no pattern.
    void readFromFile(const std::filesystem::path& file, std::string_view typeName);
    // The file name (title of the window) and the file read.
    const std::filesystem::path& fileURL() const { return fileURL_; }
    // What the import of a drawing or a photoplot left out or could not read,
    // one line each; empty when everything in the file was read.
    const std::vector<std::string>& importNotes() const { return importNotes_; }
    std::string displayName() const;

    // ---- Window --------------------------------------------------------------------

    void setPreview(PatternPreviewTarget* preview) { preview_ = preview; }
    PatternPreviewTarget* preview() const { return preview_; }
    void setWindowSide(PatternDocumentWindowSide* windowSide) { windowSide_ = windowSide; }
    // Prepares the window and the preview; without a robot it tells the operator
    // and closes the window.
    void windowControllerDidLoad();
    // The window became the active one: the out-of-reach zones follow the
    // positioner's current place.
    void windowDidBecomeActive();
    // Closing the window stops a running print after its item.
    void windowWillClose() { setPrintingCancelled(true); }

    // Observers added with an owner are removed together by removeObservers.
    void addObserver(PropertyObserver observer, const void* owner = nullptr);
    void removeObservers(const void* owner);

    // ---- Collaborators ---------------------------------------------------------------

    std::shared_ptr<Robot> robot() const;
    void setRobot(std::shared_ptr<Robot> robot);
    std::shared_ptr<Electronics> electronics() const;
    void setElectronics(std::shared_ptr<Electronics> electronics);
    std::vector<SolutionWell> solutionWells() const;
    void setSolutionWells(std::vector<SolutionWell> wells);
    std::vector<std::string> solutionWellNames() const;
    SurfaceCant surfaceCant() const;
    void setSurfaceCant(SurfaceCant cant);
    Zovudidova::Angle rotation() const;
    void setRotation(Zovudidova::Angle rotation);
    std::shared_ptr<SurfaceTopographyMap> topographyMap() const;
    void setTopographyMap(std::shared_ptr<SurfaceTopographyMap> map);
    // When the print cures with UV light; none: no curing.
    std::optional<UVCuringPatternMode> uvCuringMode() const;
    void setUVCuringMode(std::optional<UVCuringPatternMode> mode);
    std::function<void()> recalibrationOperation;
    std::function<void(const SolutionWell&, bool)> solutionChangedInDispenserOperation;
    std::function<void(std::exception_ptr)> errorHandler;
    // The wells as they stand now (the solution wells window's list); a run
    // maps its solutions to them by well name. Unset: the document's own copy.
    std::function<std::vector<SolutionWell>()> currentSolutionWells;
    // The printing engine; tests put a fake here.
    PrintPatternOperation printPatternOperation = [](const PatternPrintRun& run) { printWithEngine(run); };
    // Told once, on the main thread, when the document has closed.
    std::function<void()> documentClosedOperation;

    // ---- Placement and scale ------------------------------------------------------------

    double originX() const { return originX_; }
    double originY() const { return originY_; }
    double originZ() const { return originZ_; }
    void setOriginX(double value);
    void setOriginY(double value);
    void setOriginZ(double value);
    void updateOrigin();

    int startingLayer() const { return startingLayer_; }
    int startingItemInLayer() const { return startingItemInLayer_; }
    void setStartingLayer(int layer);
    void setStartingItemInLayer(int item);
    void updateStartingItem();

    int selectedScaleFactor() const { return selectedScaleFactor_; }
    void setSelectedScaleFactor(int index);
    double scalingFromUnitsToMicrons() const { return scalingFromUnitsToMicrons_; }
    void setScalingFromUnitsToMicrons(double scaling);
    // The scale text field was edited.
    void updatedScaleFactor(std::string_view text);
    std::string patternWidthDescription() const;
    std::string patternHeightDescription() const;
    double featureWidth() const { return featureWidth_; }
    void setFeatureWidth(double width);

    // The scale choice of a length unit: microns 0, millimeters 1, centimeters
    // 2, inches 3, every other unit 4.
    static int scaleFactorIndex(Zovudidova::DistanceUnit unit);
    // The microns per unit of a scale choice from 0 to 3.
    static std::optional<double> scalingForChoice(int index);

    // ---- Print options and progress (read by the print run) ----------------------------------

    bool useSprayingInsteadOfDispensing() const { return useSprayingInsteadOfDispensing_; }
    void setUseSprayingInsteadOfDispensing(bool value);
    bool findSurfaceAtStartOfEachPatternItem() const { return findSurfaceAtStartOfEachPatternItem_; }
    void setFindSurfaceAtStartOfEachPatternItem(bool value);
    bool stayAtEndOfPatternWhenDone() const { return stayAtEndOfPatternWhenDone_; }
    void setStayAtEndOfPatternWhenDone(bool value);
    bool optimizePatternLayout() const { return optimizePatternLayout_; }
    void setOptimizePatternLayout(bool value);
    bool overrideDropletDispensingTime() const { return overrideDropletDispensingTime_; }
    void setOverrideDropletDispensingTime(bool value);
    double overriddenDropletDispensingTimeInMilliseconds() const {
        return overriddenDropletDispensingTimeInMilliseconds_;
    }
    void setOverriddenDropletDispensingTimeInMilliseconds(double value);
    bool printingPaused() const { return printingPaused_; }
    void setPrintingPaused(bool value);
    bool printingCancelled() const { return printingCancelled_; }
    void setPrintingCancelled(bool value);
    bool currentlyPrinting() const { return currentlyPrinting_; }
    void setCurrentlyPrinting(bool value);
    int lastLayerPrinted() const { return lastLayerPrinted_; }
    void setLastLayerPrinted(int value);
    int lastItemPrinted() const { return lastItemPrinted_; }
    void setLastItemPrinted(int value);
    std::optional<Coordinate> previousStartingCoordinate() const;
    void setPreviousStartingCoordinate(std::optional<Coordinate> coordinate);
    std::optional<Coordinate> previousEndingCoordinate() const;
    void setPreviousEndingCoordinate(std::optional<Coordinate> coordinate);
    std::map<std::string, SolutionWell> previouslySetMappingTable() const;

    std::shared_ptr<const Pattern> pattern() const;
    std::shared_ptr<const Pattern> optimizedPattern() const;
    Limits limits() const { return limits_; }

    // ---- Print control ------------------------------------------------------------------

    // The pause button: starts a print (after the range check), asks a
    // running one to pause, or resumes a paused one.
    void pauseOrResume();
    // The cancel button: a running print stops after its item, returns and
    // closes the document; otherwise the document closes at once.
    void cancelPrinting();
    // Resumes a paused print with the rest of the pattern moved by as much as
    // the positioner was moved since the pause. Needs a recorded run.
    void resumeFromHere();
    bool canResumeFromHere() const;
    // Whether the pattern, placed with its origin at (x, y) as the engine
    // places it (scaled, rotated, origin subtracted), leaves the travel.
    bool patternExceedsRobotLimits(double x, double y) const;
    // One print run, on the robot's queue.
    void runPrint(std::map<std::string, SolutionWell> solutionMappingTable, int initialLayer, int initialItem);
    // The engine's stop question (robot's queue): records the position and
    // answers whether to stop.
    bool recordPrintingProgress(int layer, int item, double percentComplete);
    // Main thread: the preview, the progress bar, the status line and the
    // starting fields follow the recorded position.
    void updatePrintStatus(int layer, int item, double percentComplete);
    // "Dispense status: 12.35% complete".
    static std::string printStatusText(double percentComplete);
    // Closes the window and tells the controller; later calls do nothing.
    void close();
    bool isClosed() const { return closed_; }

    // What the print controls show (main thread).
    std::optional<std::string> pauseButtonTitle() const { return pauseButtonTitle_; }
    bool cancelButtonShown() const { return cancelButtonShown_; }
    bool resumeFromHereButtonShown() const { return resumeFromHereButtonShown_; }
    double printProgress() const { return printProgress_; }
    const std::string& printStatus() const { return printStatus_; }

    // ---- Solution table ------------------------------------------------------------------

    int numberOfSolutionRows() const;
    std::string solutionNameForRow(int row) const;
    bool solutionEnabledForRow(int row) const;
    // The index of the mapped well's title in solutionWellNames, or 0 unmapped
    // (-1 when the mapped well's name is no longer among the titles).
    int solutionWellIndexForRow(int row) const;
    void setSolutionEnabledForRow(int row, bool enabled);
    void setSolutionWellIndexForRow(int row, int index);

    // ---- Export ------------------------------------------------------------------------

    // Asks for a file with the shared save-file chooser and writes the pattern
    // there atomically; a failure is shown in an alert and leaves an existing
    // file as it was. Answers whether a file was written.
    bool exportPattern();
    // The proposed export file: the document's name with ".pattern", beside it.
    std::filesystem::path proposedExportFile() const;

  private:
    struct Observer {
        PropertyObserver observer;
        const void* owner = nullptr;
        // Cleared when the observer is removed, so a walk that is under way
        // skips it instead of calling into its (possibly gone) owner.
        bool active = true;
    };
    enum class StopReason { none, paused, cancelled };

    void notify(std::string_view property);
    // Print control helpers (PatternDocumentPrinting.cpp).
    void showPrintControls(std::optional<std::string> pauseTitle, bool cancelShown, bool resumeFromHereShown);
    void showPausedControls();
    // The mapping table with each well taken afresh by name; nothing after
    // telling the operator of a well that no longer exists.
    std::optional<std::map<std::string, SolutionWell>> currentMappingTable() const;
    // The starting fields as a zero-based position inside the pattern.
    std::pair<int, int> startingPositionFromFields() const;
    void queueRun(int initialLayer, int initialItem);
    PatternPrintRun makeRun(std::map<std::string, SolutionWell> solutionMappingTable, int initialLayer,
                            int initialItem);
    void finishRun(const std::shared_ptr<Robot>& robot);
    void setStartingPosition(int layer, int item);
    void scalingDidChange(double previous);
    void refreshPreview();
    std::string sizeDescription(const char* prefix, double extent) const;

    std::vector<std::shared_ptr<Observer>> observers_;
    PatternPreviewTarget* preview_ = nullptr;
    PatternDocumentWindowSide* windowSide_ = nullptr;
    std::filesystem::path fileURL_;
    std::vector<std::string> importNotes_;

    mutable std::mutex mutex_;
    std::shared_ptr<Robot> robot_;
    std::shared_ptr<Electronics> electronics_;
    std::vector<SolutionWell> solutionWells_;
    std::vector<std::string> solutionWellNames_;
    SurfaceCant surfaceCant_;
    Zovudidova::Angle rotation_;
    std::shared_ptr<SurfaceTopographyMap> topographyMap_;
    std::optional<UVCuringPatternMode> uvCuringMode_;
    std::optional<Coordinate> previousStartingCoordinate_;
    std::optional<Coordinate> previousEndingCoordinate_;
    std::map<std::string, SolutionWell> previouslySetMappingTable_;
    std::shared_ptr<const Pattern> pattern_;
    std::shared_ptr<const Pattern> optimizedPattern_;

    std::atomic<double> originX_{0.0};
    std::atomic<double> originY_{0.0};
    std::atomic<double> originZ_{0.0};
    std::atomic<int> startingLayer_{1};
    std::atomic<int> startingItemInLayer_{1};
    std::atomic<bool> useSprayingInsteadOfDispensing_{false};
    std::atomic<bool> findSurfaceAtStartOfEachPatternItem_{false};
    std::atomic<bool> stayAtEndOfPatternWhenDone_{false};
    std::atomic<bool> optimizePatternLayout_{true};
    std::atomic<bool> overrideDropletDispensingTime_{false};
    std::atomic<double> overriddenDropletDispensingTimeInMilliseconds_{0.0};
    std::atomic<bool> printingPaused_{false};
    std::atomic<bool> printingCancelled_{false};
    std::atomic<bool> currentlyPrinting_{false};
    std::atomic<int> lastLayerPrinted_{0};
    std::atomic<int> lastItemPrinted_{0};
    Limits limits_;
    std::atomic<int> selectedScaleFactor_{0};
    std::atomic<double> scalingFromUnitsToMicrons_{1.0};
    std::atomic<double> featureWidth_{50.0};
    std::string patternWidthDescription_ = "Width: 0 microns";
    std::string patternHeightDescription_ = "Height: 0 microns";

    // Print control. The starting fields are read back by the next press when
    // the operator edited them while no run was under way (and before the
    // first print); otherwise a run resumes at the recorded position.
    std::atomic<bool> startingFieldsEdited_{true};
    std::atomic<StopReason> stopReason_{StopReason::none};
    bool closed_ = false;
    std::optional<std::string> pauseButtonTitle_;
    bool cancelButtonShown_ = false;
    bool resumeFromHereButtonShown_ = false;
    double printProgress_ = 0.0;
    std::string printStatus_;
};

} // namespace Dotfield
