#include "Dotfield/Printing/Document/PatternDocument.hpp"

#include <algorithm>
#include <cmath>

#include "Dotfield/Platform/Alerts/AlertPresenter.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFPatternImport.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"
#include "VeltranePatterns/Source/Import/PatternImportError.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"
#include "Zovudidova/NumberText.hpp"

namespace Dotfield {

namespace {

constexpr double smallestScaling = 0.01;

void showAlert(const std::string& message, const std::string& text) {
    if (auto presenter = currentAlertPresenter()) {
        presenter->runModalAlert({"OK", std::nullopt, message, text});
    }
}

} // namespace

PatternDocument::PatternDocument() : rotation_(0.0, Zovudidova::AngleUnit::degrees) {}

// ---- Reading ---------------------------------------------------------------------------

void PatternDocument::readFromFile(const std::filesystem::path& file, std::string_view typeName) {
    std::shared_ptr<Pattern> read;
    std::vector<std::string> notes;
    try {
        if (typeName == "DXF") {
            auto imported = VeltranePatterns::importDXFFile(file);
            read = std::move(imported.pattern);
            notes = std::move(imported.notes);
        } else if (typeName == "Gerber") {
            auto imported = VeltranePatterns::importGerberFile(file);
            read = std::move(imported.pattern);
            notes = std::move(imported.notes);
        } else if (typeName == "Pattern") {
            read = VeltranePatterns::patternFromXMLFile(file);
        } else {
            throw PatternDocumentReadError(PatternDocumentReadError::Kind::unknownType, unknownTypeMessage);
        }
    } catch (const VeltranePatterns::PatternImportError& error) {
        throw PatternDocumentReadError(PatternDocumentReadError::Kind::unreadable,
                                       std::string(unreadableFileMessage) + " " + error.reason());
    }
    if (!read) {
        throw PatternDocumentReadError(PatternDocumentReadError::Kind::unreadable, unreadableFileMessage);
    }
    fileURL_ = file;
    importNotes_ = std::move(notes);
    {
        const std::lock_guard lock(mutex_);
        pattern_ = read;
    }
    setFeatureWidth(read->featureWidth());
    const auto limits = read->limits(Coordinate(originX_, originY_, originZ_));
    limits_ = {limits.minX, limits.maxX, limits.minY, limits.maxY};
    setSelectedScaleFactor(scaleFactorIndex(read->lengthUnit()));
    setUseSprayingInsteadOfDispensing(read->useSprayingInsteadOfDispensing());
    setStayAtEndOfPatternWhenDone(read->stayAtEndOfPatternWhenDone());
}

std::string PatternDocument::displayName() const { return fileURL_.filename().string(); }

// ---- Window ----------------------------------------------------------------------------

void PatternDocument::windowControllerDidLoad() {
    showPrintControls(std::nullopt, false, false);
    setPrintingPaused(true);
    if (windowSide_) {
        windowSide_->showScaleText(std::to_string(static_cast<long long>(scalingFromUnitsToMicrons())));
    }
    const auto pattern = this->pattern();
    if (preview_) {
        preview_->setLowerLeft({std::min(limits_.minX, 0.0), limits_.maxY});
        preview_->setUpperRight({limits_.maxX, std::min(limits_.minY, 0.0)});
        preview_->setFeatureWidth(featureWidth());
        preview_->setScalingFromUnitsToMicrons(scalingFromUnitsToMicrons());
    }
    if (pattern) {
        auto optimized = pattern->optimizedForPrinting();
        {
            const std::lock_guard lock(mutex_);
            optimizedPattern_ = optimized;
        }
        if (preview_) {
            preview_->setPattern(optimized);
            preview_->rebuildPatternItemLayers();
        }
    }
    if (!robot()) {
        showAlert(needsPositionerMessage, needsPositionerText);
        close();
        return;
    }
    if (preview_) {
        const auto robot = this->robot();
        preview_->setMinimumLimitsForRobot(robot->minimumMotorPosition());
        preview_->setMaximumLimitsForRobot(robot->maximumMotorPosition());
        preview_->setStartingLocation(robot->currentCoordinate());
        preview_->setNeedsDisplay();
    }
}

void PatternDocument::windowDidBecomeActive() {
    const auto robot = this->robot();
    if (robot && preview_) {
        preview_->setStartingLocation(robot->currentCoordinate());
        preview_->setNeedsDisplay();
    }
}

void PatternDocument::addObserver(PropertyObserver observer, const void* owner) {
    observers_.push_back(std::make_shared<Observer>(Observer{std::move(observer), owner}));
}

void PatternDocument::removeObservers(const void* owner) {
    std::erase_if(observers_, [owner](const std::shared_ptr<Observer>& entry) {
        if (entry->owner != owner) {
            return false;
        }
        entry->active = false;
        return true;
    });
}

void PatternDocument::notify(std::string_view property) {
    // An observer may add or remove observers (a window closing): walk a
    // copy, and skip those removed since the walk began.
    const auto observers = observers_;
    for (const auto& entry : observers) {
        if (entry->active) {
            entry->observer(property);
        }
    }
}

void PatternDocument::refreshPreview() {
    if (preview_) {
        preview_->updateDisplay();
    }
}

// ---- Collaborators -------------------------------------------------------------------------

std::shared_ptr<Robot> PatternDocument::robot() const {
    const std::lock_guard lock(mutex_);
    return robot_;
}

void PatternDocument::setRobot(std::shared_ptr<Robot> robot) {
    const std::lock_guard lock(mutex_);
    robot_ = std::move(robot);
}

std::shared_ptr<Electronics> PatternDocument::electronics() const {
    const std::lock_guard lock(mutex_);
    return electronics_;
}

void PatternDocument::setElectronics(std::shared_ptr<Electronics> electronics) {
    const std::lock_guard lock(mutex_);
    electronics_ = std::move(electronics);
}

std::vector<SolutionWell> PatternDocument::solutionWells() const {
    const std::lock_guard lock(mutex_);
    return solutionWells_;
}

void PatternDocument::setSolutionWells(std::vector<SolutionWell> wells) {
    {
        const std::lock_guard lock(mutex_);
        solutionWellNames_ = {solutionInDispenserTitle};
        for (const auto& well : wells) {
            solutionWellNames_.push_back(well.name);
        }
        solutionWells_ = std::move(wells);
    }
    notify("solutionWellNames");
}

std::vector<std::string> PatternDocument::solutionWellNames() const {
    const std::lock_guard lock(mutex_);
    return solutionWellNames_;
}

SurfaceCant PatternDocument::surfaceCant() const {
    const std::lock_guard lock(mutex_);
    return surfaceCant_;
}

void PatternDocument::setSurfaceCant(SurfaceCant cant) {
    const std::lock_guard lock(mutex_);
    surfaceCant_ = cant;
}

Zovudidova::Angle PatternDocument::rotation() const {
    const std::lock_guard lock(mutex_);
    return rotation_;
}

void PatternDocument::setRotation(Zovudidova::Angle rotation) {
    const std::lock_guard lock(mutex_);
    rotation_ = rotation;
}

std::shared_ptr<SurfaceTopographyMap> PatternDocument::topographyMap() const {
    const std::lock_guard lock(mutex_);
    return topographyMap_;
}

void PatternDocument::setTopographyMap(std::shared_ptr<SurfaceTopographyMap> map) {
    const std::lock_guard lock(mutex_);
    topographyMap_ = std::move(map);
}

std::optional<UVCuringPatternMode> PatternDocument::uvCuringMode() const {
    const std::lock_guard lock(mutex_);
    return uvCuringMode_;
}

void PatternDocument::setUVCuringMode(std::optional<UVCuringPatternMode> mode) {
    const std::lock_guard lock(mutex_);
    uvCuringMode_ = std::move(mode);
}

// ---- Placement ------------------------------------------------------------------------------

void PatternDocument::setOriginX(double value) {
    originX_ = value;
    notify("originX");
    updateOrigin();
}

void PatternDocument::setOriginY(double value) {
    originY_ = value;
    notify("originY");
    updateOrigin();
}

void PatternDocument::setOriginZ(double value) {
    originZ_ = value;
    notify("originZ");
    updateOrigin();
}

void PatternDocument::updateOrigin() {
    if (!preview_) {
        return;
    }
    const double x0 = originX_;
    const double y0 = originY_;
    preview_->setLowerLeft({std::min(x0, limits_.minX) - x0, limits_.maxY - y0});
    preview_->setUpperRight({limits_.maxX - x0, std::min(y0, limits_.minY) - y0});
    preview_->setOrigin(Coordinate(x0, y0, originZ_));
    refreshPreview();
}

void PatternDocument::setStartingLayer(int layer) {
    startingFieldsEdited_ = true;
    startingLayer_ = layer;
    notify("startingLayer");
    updateStartingItem();
}

void PatternDocument::setStartingItemInLayer(int item) {
    startingFieldsEdited_ = true;
    if (startingLayer_ == 0 && item >= 1) {
        startingLayer_ = 1;
        notify("startingLayer");
    }
    startingItemInLayer_ = item;
    notify("startingItemInLayer");
    updateStartingItem();
}

void PatternDocument::updateStartingItem() {
    if (currentlyPrinting_ || !preview_) {
        return;
    }
    const auto pattern = this->pattern();
    const int layerCount = pattern ? static_cast<int>(pattern->solutionLayers().size()) : 0;
    const int layer = std::max(std::min(startingLayer_ - 1, layerCount - 1), 0);
    const int item = std::max(startingItemInLayer_ - 1, 0);
    preview_->simulatePrintingUpToLayer(layer, item);
    refreshPreview();
}

// ---- Scale ---------------------------------------------------------------------------------

int PatternDocument::scaleFactorIndex(Zovudidova::DistanceUnit unit) {
    using Zovudidova::DistanceUnit;
    switch (unit) {
    case DistanceUnit::microns:
        return 0;
    case DistanceUnit::millimeters:
        return 1;
    case DistanceUnit::centimeters:
        return 2;
    case DistanceUnit::inches:
        return 3;
    default:
        return 4;
    }
}

std::optional<double> PatternDocument::scalingForChoice(int index) {
    static constexpr double table[] = {1.0, 1000.0, 10000.0, 25400.0};
    if (index < 0 || index > 3) {
        return std::nullopt;
    }
    return table[index];
}

void PatternDocument::setSelectedScaleFactor(int index) {
    selectedScaleFactor_ = index;
    notify("selectedScaleFactor");
    if (const auto scaling = scalingForChoice(index)) {
        setScalingFromUnitsToMicrons(*scaling);
    }
}

void PatternDocument::setScalingFromUnitsToMicrons(double scaling) {
    const double previous = scalingFromUnitsToMicrons_.exchange(scaling);
    scalingDidChange(previous);
    notify("scalingFromUnitsToMicrons");
}

void PatternDocument::scalingDidChange(double previous) {
    const double scaling = scalingFromUnitsToMicrons_;
    // NaN is refused as well as anything not above the smallest scaling.
    if (!(scaling > smallestScaling)) {
        scalingFromUnitsToMicrons_ = previous;
        return;
    }
    if (preview_) {
        preview_->setScalingFromUnitsToMicrons(scaling);
        refreshPreview();
    }
    if (windowSide_) {
        windowSide_->showScaleText(std::to_string(static_cast<long long>(scaling)));
    }
    {
        const std::lock_guard lock(mutex_);
        patternWidthDescription_ = sizeDescription("Width: ", limits_.maxX - limits_.minX);
        patternHeightDescription_ = sizeDescription("Height: ", limits_.maxY - limits_.minY);
    }
    notify("patternWidthDescription");
    notify("patternHeightDescription");
}

std::string PatternDocument::sizeDescription(const char* prefix, double extent) const {
    const double microns = std::round(extent * scalingFromUnitsToMicrons_);
    return prefix + std::to_string(static_cast<long long>(microns)) + " microns";
}

std::string PatternDocument::patternWidthDescription() const {
    const std::lock_guard lock(mutex_);
    return patternWidthDescription_;
}

std::string PatternDocument::patternHeightDescription() const {
    const std::lock_guard lock(mutex_);
    return patternHeightDescription_;
}

void PatternDocument::updatedScaleFactor(std::string_view text) {
    const auto value = Zovudidova::parseDouble(text);
    if (!value || *value == scalingFromUnitsToMicrons_) {
        return;
    }
    setScalingFromUnitsToMicrons(*value);
    setSelectedScaleFactor(4);
}

void PatternDocument::setFeatureWidth(double width) {
    featureWidth_ = width;
    notify("featureWidth");
    if (preview_) {
        preview_->setFeatureWidth(width);
        refreshPreview();
    }
}

// ---- Print options -----------------------------------------------------------------------

#define DOTFIELD_DOCUMENT_SETTER(Setter, field, name)                                                   \
    void PatternDocument::Setter(decltype(field)::value_type value) {                                 \
        field = value;                                                                                  \
        notify(name);                                                                                   \
    }

DOTFIELD_DOCUMENT_SETTER(setUseSprayingInsteadOfDispensing, useSprayingInsteadOfDispensing_,
                         "useSprayingInsteadOfDispensing")
DOTFIELD_DOCUMENT_SETTER(setFindSurfaceAtStartOfEachPatternItem, findSurfaceAtStartOfEachPatternItem_,
                         "findSurfaceAtStartOfEachPatternItem")
DOTFIELD_DOCUMENT_SETTER(setStayAtEndOfPatternWhenDone, stayAtEndOfPatternWhenDone_, "stayAtEndOfPatternWhenDone")
DOTFIELD_DOCUMENT_SETTER(setOptimizePatternLayout, optimizePatternLayout_, "optimizePatternLayout")
DOTFIELD_DOCUMENT_SETTER(setOverrideDropletDispensingTime, overrideDropletDispensingTime_,
                         "overrideDropletDispensingTime")
DOTFIELD_DOCUMENT_SETTER(setOverriddenDropletDispensingTimeInMilliseconds,
                         overriddenDropletDispensingTimeInMilliseconds_,
                         "overriddenDropletDispensingTimeInMilliseconds")
DOTFIELD_DOCUMENT_SETTER(setPrintingPaused, printingPaused_, "printingPaused")
DOTFIELD_DOCUMENT_SETTER(setPrintingCancelled, printingCancelled_, "printingCancelled")
DOTFIELD_DOCUMENT_SETTER(setCurrentlyPrinting, currentlyPrinting_, "currentlyPrinting")
DOTFIELD_DOCUMENT_SETTER(setLastLayerPrinted, lastLayerPrinted_, "lastLayerPrinted")
DOTFIELD_DOCUMENT_SETTER(setLastItemPrinted, lastItemPrinted_, "lastItemPrinted")

#undef DOTFIELD_DOCUMENT_SETTER

std::optional<PatternDocument::Coordinate> PatternDocument::previousStartingCoordinate() const {
    const std::lock_guard lock(mutex_);
    return previousStartingCoordinate_;
}

void PatternDocument::setPreviousStartingCoordinate(std::optional<Coordinate> coordinate) {
    const std::lock_guard lock(mutex_);
    previousStartingCoordinate_ = coordinate;
}

std::optional<PatternDocument::Coordinate> PatternDocument::previousEndingCoordinate() const {
    const std::lock_guard lock(mutex_);
    return previousEndingCoordinate_;
}

void PatternDocument::setPreviousEndingCoordinate(std::optional<Coordinate> coordinate) {
    const std::lock_guard lock(mutex_);
    previousEndingCoordinate_ = coordinate;
}

std::map<std::string, SolutionWell> PatternDocument::previouslySetMappingTable() const {
    const std::lock_guard lock(mutex_);
    return previouslySetMappingTable_;
}

std::shared_ptr<const VeltranePatterns::Pattern> PatternDocument::pattern() const {
    const std::lock_guard lock(mutex_);
    return pattern_;
}

std::shared_ptr<const VeltranePatterns::Pattern> PatternDocument::optimizedPattern() const {
    const std::lock_guard lock(mutex_);
    return optimizedPattern_;
}

// ---- Solution table ------------------------------------------------------------------------

int PatternDocument::numberOfSolutionRows() const {
    const auto pattern = this->pattern();
    return pattern ? static_cast<int>(pattern->solutionLayers().size()) : 0;
}

std::string PatternDocument::solutionNameForRow(int row) const {
    const auto pattern = this->pattern();
    if (!pattern || row < 0 || row >= static_cast<int>(pattern->solutionLayers().size())) {
        return {};
    }
    return pattern->solutionLayers()[static_cast<std::size_t>(row)].solutionName();
}

bool PatternDocument::solutionEnabledForRow(int row) const {
    return !preview_ || !preview_->disabledLayers().contains(solutionNameForRow(row));
}

int PatternDocument::solutionWellIndexForRow(int row) const {
    const std::string name = solutionNameForRow(row);
    const std::lock_guard lock(mutex_);
    const auto mapped = previouslySetMappingTable_.find(name);
    if (mapped == previouslySetMappingTable_.end()) {
        return 0;
    }
    const auto title = std::find(solutionWellNames_.begin(), solutionWellNames_.end(), mapped->second.name);
    return title == solutionWellNames_.end() ? -1 : static_cast<int>(title - solutionWellNames_.begin());
}

void PatternDocument::setSolutionEnabledForRow(int row, bool enabled) {
    if (!preview_ || row < 0 || row >= numberOfSolutionRows()) {
        return;
    }
    const std::string name = solutionNameForRow(row);
    if (enabled) {
        preview_->showLayer(name);
    } else {
        preview_->hideLayer(name);
    }
    preview_->setNeedsDisplay();
}

void PatternDocument::setSolutionWellIndexForRow(int row, int index) {
    if (row < 0 || row >= numberOfSolutionRows()) {
        return;
    }
    const std::string name = solutionNameForRow(row);
    const std::lock_guard lock(mutex_);
    if (index == 0) {
        previouslySetMappingTable_.erase(name);
    } else if (index >= 1 && index <= static_cast<int>(solutionWells_.size())) {
        previouslySetMappingTable_.insert_or_assign(name, solutionWells_[static_cast<std::size_t>(index - 1)]);
    }
}

} // namespace Dotfield
