#pragma once
// One printable design: settings that apply to the whole pattern, the bounding
// limits of its items, and its solution layers in printing order. Layers and
// items never change after creation; transformations return a new pattern.
// Only the feature width, grid spacing and canvas can be set afterwards, by
// the pattern's owner (they are plain values, not synchronised).

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Pattern/SolutionLayer.hpp"
#include "Zovudidova/Units.hpp"

namespace VeltranePatterns {

class XMLElementWriter;

class Pattern {
  public:
    struct Triple {
        double x = 0.0;
        double y = 0.0;
        double z = 0.0;
        friend bool operator==(const Triple&, const Triple&) = default;
    };

    struct XYPair {
        double x = 0.0;
        double y = 0.0;
        friend bool operator==(const XYPair&, const XYPair&) = default;
    };

    // The pattern's x and y extent relative to an origin.
    struct XYLimits {
        double minX = 0.0;
        double maxX = 0.0;
        double minY = 0.0;
        double maxY = 0.0;
        friend bool operator==(const XYLimits&, const XYLimits&) = default;
    };

    // Stores every argument unchanged; the limits are not recomputed.
    Pattern(Zovudidova::DistanceUnit lengthUnit, double xScaleFactor, double yScaleFactor,
            double featureWidth, std::optional<double> gridSpacing, std::optional<double> canvasWidth,
            std::optional<double> canvasHeight, std::optional<XYPair> canvasUpperLeft, bool continuous,
            bool useSprayingInsteadOfDispensing, bool stayAtEndOfPatternWhenDone,
            std::vector<SolutionLayer> solutionLayers, Triple minimumLimits, Triple maximumLimits);

    // Unit of the item coordinates, feature width, grid spacing, canvas and limits.
    Zovudidova::DistanceUnit lengthUnit() const { return lengthUnit_; }
    double xScaleFactor() const { return xScaleFactor_; }
    double yScaleFactor() const { return yScaleFactor_; }
    double featureWidth() const { return featureWidth_; }
    std::optional<double> gridSpacing() const { return gridSpacing_; }
    std::optional<double> canvasWidth() const { return canvasWidth_; }
    std::optional<double> canvasHeight() const { return canvasHeight_; }
    std::optional<XYPair> canvasUpperLeft() const { return canvasUpperLeft_; }
    bool continuous() const { return continuous_; }
    bool useSprayingInsteadOfDispensing() const { return useSprayingInsteadOfDispensing_; }
    bool stayAtEndOfPatternWhenDone() const { return stayAtEndOfPatternWhenDone_; }
    const Triple& minimumLimits() const { return minimumLimits_; }
    const Triple& maximumLimits() const { return maximumLimits_; }
    const std::vector<SolutionLayer>& solutionLayers() const { return solutionLayers_; }

    void setFeatureWidth(double featureWidth) { featureWidth_ = featureWidth; }
    void setGridSpacing(std::optional<double> gridSpacing) { gridSpacing_ = gridSpacing; }
    void setCanvasWidth(std::optional<double> canvasWidth) { canvasWidth_ = canvasWidth; }
    void setCanvasHeight(std::optional<double> canvasHeight) { canvasHeight_ = canvasHeight; }
    void setCanvasUpperLeft(std::optional<XYPair> canvasUpperLeft) { canvasUpperLeft_ = canvasUpperLeft; }

    // The x and y limits minus the origin's x and y; z does not enter.
    XYLimits limits(const Coordinate& origin) const;

    // Every item scaled by the factor, in microns: canvas and limits are scaled
    // too, the multipliers, feature width and grid spacing are not.
    std::shared_ptr<Pattern> scaledBy(double factor) const;

    // The same pattern with every layer's items in print order (the limits are
    // copied, not recomputed).
    std::shared_ptr<Pattern> optimizedForPrinting() const;

    // The pattern as a pattern XML document, lengths multiplied by the scale
    // factor, with the given feature width instead of the pattern's own when
    // there is one, and without the items of the disabled layers.
    std::string dataForXMLRepresentation(double scaleFactor, std::optional<double> featureWidth,
                                         const std::set<std::string>& disabledLayers) const;

    // The same document streamed to the file: written into a temporary file
    // beside it, flushed to the disk and renamed over it, so the file holds
    // either its old bytes or the whole new document. Throws
    // std::filesystem::filesystem_error when the file cannot be written.
    void writeXMLRepresentation(const std::filesystem::path& file, double scaleFactor,
                                std::optional<double> featureWidth,
                                const std::set<std::string>& disabledLayers) const;

  private:
    void writeXMLDocument(XMLElementWriter& writer, double scaleFactor, std::optional<double> featureWidth,
                          const std::set<std::string>& disabledLayers) const;

    Zovudidova::DistanceUnit lengthUnit_;
    double xScaleFactor_;
    double yScaleFactor_;
    double featureWidth_;
    std::optional<double> gridSpacing_;
    std::optional<double> canvasWidth_;
    std::optional<double> canvasHeight_;
    std::optional<XYPair> canvasUpperLeft_;
    bool continuous_;
    bool useSprayingInsteadOfDispensing_;
    bool stayAtEndOfPatternWhenDone_;
    Triple minimumLimits_;
    Triple maximumLimits_;
    std::vector<SolutionLayer> solutionLayers_;
};

} // namespace VeltranePatterns
