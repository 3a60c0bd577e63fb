#pragma once
// The pattern shown to scale in its document's window: one display layer per
// drawable item, one list of layers per solution layer, y growing downwards.
// Behind the items the view paints the print progress (a grey background with
// a white box and dashed guides around the printing item), red bands where
// the positioner cannot reach from where it stands, and the origin cross.
//
// Items are painted from a cache made once per layout (scale, size, feature
// width, visibility); a progress step redraws only the places of the items
// whose state changed.
//
// Print progress arrives as indices in the pattern's own item lists, which
// hold pauses too; the layer lists hold drawable items only, so every index
// is mapped before it selects a layer.

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>

#include "Dotfield/Printing/Document/PatternPreviewTarget.hpp"
#include "Dotfield/Printing/UI/PreviewLayerIndex.hpp"
#include "VeltranePatterns/Source/Drawing/PatternItemLayer.hpp"
#include "VeltranePatterns/Source/Drawing/PatternItemLayerSegments.hpp"

namespace Dotfield {

class PatternPreview : public QWidget, public PatternPreviewTarget {
    Q_OBJECT

  public:
    using Coordinate = VeltranePatterns::Coordinate;
    using PatternItemLayer = VeltranePatterns::PatternItemLayer;

    explicit PatternPreview(QWidget* parent = nullptr);
    ~PatternPreview() override;

    // ---- Fields -------------------------------------------------------------------------

    std::map<std::string, QColor> layerColorMap;

    std::set<std::string> disabledLayers() const override { return disabledLayers_; }
    QPointF lowerLeft() const { return lowerLeft_; }
    QPointF upperRight() const { return upperRight_; }
    void setLowerLeft(PreviewPoint point) override;
    void setUpperRight(PreviewPoint point) override;
    std::optional<Coordinate> startingLocation() const { return startingLocation_; }
    void setStartingLocation(std::optional<Coordinate> location) override { startingLocation_ = location; }
    const Coordinate& origin() const { return origin_; }
    void setOrigin(const Coordinate& origin) override { origin_ = origin; }
    void setMinimumLimitsForRobot(std::optional<Coordinate> limits) override { minimumLimitsForRobot_ = limits; }
    void setMaximumLimitsForRobot(std::optional<Coordinate> limits) override { maximumLimitsForRobot_ = limits; }
    const std::vector<std::vector<std::unique_ptr<PatternItemLayer>>>& patternItemLayers() const {
        return patternItemLayers_;
    }
    const std::shared_ptr<const VeltranePatterns::Pattern>& pattern() const { return pattern_; }
    void setPattern(std::shared_ptr<const VeltranePatterns::Pattern> pattern) override { pattern_ = std::move(pattern); }
    double featureWidth() const { return featureWidth_; }
    void setFeatureWidth(double featureWidth) override { featureWidth_ = featureWidth; }
    double scalingFromUnitsToMicrons() const { return scalingFromUnitsToMicrons_; }
    void setScalingFromUnitsToMicrons(double scaling) override { scalingFromUnitsToMicrons_ = scaling; }
    const PatternItemLayer* previouslySelectedLayer() const { return previouslySelectedLayer_; }
    int currentlyPrintingLayer() const { return currentlyPrintingLayer_; }
    void setCurrentlyPrintingLayer(int layer) { currentlyPrintingLayer_ = layer; }
    int currentlyPrintingItemInLayer() const { return currentlyPrintingItemInLayer_; }
    // Marks the item printing; set the layer first.
    void setCurrentlyPrintingItemInLayer(int item);
    QColor backgroundColor() const { return QColor::fromRgbF(0.92F, 0.92F, 0.92F, 1.0F); }

    // ---- Operations -----------------------------------------------------------------------

    // Points per pattern unit; widens a flat extent to a square one first.
    double calculatedScaleFactor();
    QPointF calculatedOriginOffsetWithScaleFactor(double scaleFactor) const;
    void rebuildPatternItemLayers() override;
    void layoutItemLayers();
    void highlightCurrentlyPrintingItem();
    void simulatePrintingUpToLayer(int layer, int item) override;
    void setCurrentlyPrinting(int layer, int item) override {
        setCurrentlyPrintingLayer(layer);
        setCurrentlyPrintingItemInLayer(item);
    }
    void hideLayer(const std::string& solutionName) override;
    void showLayer(const std::string& solutionName) override;
    void updateDisplay() override;
    void setNeedsDisplay() override { update(); }

    // The item layer of an item of the pattern (indices in its lists), or none
    // for a pause or an index out of range.
    PatternItemLayer* layerForPatternItem(int layer, int item) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    double featureWidthInUnits() const { return featureWidth_ / scalingFromUnitsToMicrons_; }
    // The number of drawable items before the pattern item (item index in the
    // pattern's list), i.e. its index in the layer list when it draws.
    int drawableItemsBefore(int layer, int item) const;
    void paintBackground(QPainter& painter, double scale, QPointF offset);
    void paintOutOfReachZones(QPainter& painter, double scale, QPointF offset) const;
    void setLayersHidden(const std::string& solutionName, bool hidden);
    // The cache is painted afresh at the next paint; the index of where the
    // layers lie is kept unless the layers moved (invalidateLayerIndex).
    void invalidateItemCache();
    void invalidateLayerIndex();
    void ensureLayerIndex();
    void ensureItemCache();
    // Marks the places of the layers whose states changed for redrawing in
    // the cache at the next paint.
    void redrawLayers(const std::vector<const PatternItemLayer*>& layers);
    void redrawPendingLayers();
    void setLayerState(PatternItemLayer& layer, VeltranePatterns::DisplayState state,
                       std::vector<const PatternItemLayer*>& changed);

    std::set<std::string> disabledLayers_;
    QPointF lowerLeft_;
    QPointF upperRight_;
    std::optional<Coordinate> startingLocation_;
    Coordinate origin_;
    std::optional<Coordinate> minimumLimitsForRobot_;
    std::optional<Coordinate> maximumLimitsForRobot_;
    std::vector<std::vector<std::unique_ptr<PatternItemLayer>>> patternItemLayers_;
    // Per solution layer, the number of drawable items before each pattern
    // item; one entry more than the layer has items.
    std::vector<std::vector<int>> drawableItemsBefore_;
    std::vector<std::string> layerNames_;
    std::shared_ptr<const VeltranePatterns::Pattern> pattern_;
    double featureWidth_ = 50.0;
    double scalingFromUnitsToMicrons_ = 1.0;
    PatternItemLayer* previouslySelectedLayer_ = nullptr;
    int currentlyPrintingLayer_ = -1;
    int currentlyPrintingItemInLayer_ = -1;
    std::optional<double> previouslyCalculatedScaleFactor_;

    QImage itemCache_;
    bool itemCacheValid_ = false;
    // The layers in drawing order and where they lie, kept across repaints of
    // the cache until the layers are rebuilt or laid out again.
    std::vector<PatternItemLayer*> layersInDrawingOrder_;
    PreviewLayerIndex layerIndex_;
    // What the last full paint found each layer draws, kept with the index.
    VeltranePatterns::PatternItemLayerSegments layerSegments_;
    bool layerIndexValid_ = false;
    QSize layerIndexSize_;
    std::vector<const PatternItemLayer*> pendingRedraws_;
};

} // namespace Dotfield
