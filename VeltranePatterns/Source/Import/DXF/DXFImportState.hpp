#pragma once
// What a DXF import collects while the parser reports: the items of each layer
// name in order of first use, and the bounds of everything filed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Limits.hpp"
#include "VeltranePatterns/Source/Items/PatternItem.hpp"

namespace VeltranePatterns {

class DXFImportState {
public:
    struct Layer {
        std::string name;
        std::vector<PatternItemPtr> items;
    };

    // Appends the items to the layer of the name; a new name becomes the last
    // layer, also when no item comes with it.
    void file(const std::string& layerName, std::vector<PatternItemPtr> items);

    // Widens the bounds by the box.
    void widen(const Limits& box);

    // False for a box with a bound that is not a finite number: whatever has it
    // must not reach the pattern's limits or the positioner.
    static bool isFinite(const Limits& box);

    // Notes an ellipse or a spline that gave no item, for the summary.
    void noteEllipseNotImported() { ++ellipsesNotImported_; }
    void noteSplinesNotImported(std::size_t count) { splinesNotImported_ += count; }
    // Notes records of a kind that cannot be printed, by the kind's names for one and for many.
    void noteNotImported(std::size_t count, std::string one, std::string many);
    // One line per kind of entity that gave no item, with its count
    // ("56 ellipses were not imported"); none when every entity was imported.
    std::vector<std::string> summaryLines() const;

    // What the operator is told about the reading, one line per kind of
    // thing left out or unreadable, in the order printed.
    std::vector<std::string> notes;
    // Why nothing could be read, when values that are no numbers explain it:
    // "values that are not DXF numbers, first on line 18: \"0,5\"".
    std::optional<std::string> unreadableNumbers;

    // Whether the file had the section structure of a DXF in text form.
    bool isTextDXF = false;
    // The drawing unit the header gives ($INSUNITS), when it gives one.
    std::optional<std::int64_t> drawingUnits;
    // The number of items filed in every layer together.
    std::size_t itemCount() const;

    const std::vector<Layer>& layers() const { return layers_; }
    // The layers, moved out; the state holds none afterwards.
    std::vector<Layer> takeLayers();
    // The bounds so far; 0 on every axis that nothing has widened.
    Limits bounds() const;

private:
    std::vector<Layer> layers_;
    std::unordered_map<std::string, std::size_t> layerIndex_;
    std::optional<Limits> bounds_;
    struct LeftOut {
        std::size_t count;
        std::string one;
        std::string many;
    };
    std::size_t ellipsesNotImported_ = 0;
    std::size_t splinesNotImported_ = 0;
    std::vector<LeftOut> otherKindsNotImported_;
};

// The name of a DXF drawing unit code ($INSUNITS): "inches" for 1 and so on.
std::string dxfUnitName(std::int64_t code);

} // namespace VeltranePatterns
