#pragma once
// One print, once its arguments have been checked and the status poll
// suspended: the layers, the items and the UV curing passes, with the
// working state (the anchor, the progress, the load in the dispenser).

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "Dotfield/Printing/Engine/PrintPattern.hpp"
#include "Dotfield/Printing/Engine/PrintProgress.hpp"
#include "Dotfield/Printing/Engine/ReloadTracking.hpp"
#include "Dotfield/Printing/Items/PrintablePatternItem.hpp"
#include "Dotfield/Printing/Modes/PrintingMode.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace Dotfield {

class PrintingRun {
  public:
    PrintingRun(const PrintPatternArguments& arguments, PrintingElectronics& electronics,
                const VeltranePatterns::Coordinate& patternStart);

    // Prints from the starting layer and item to the end, or until asked to stop.
    void run();

  private:
    using Coordinate = VeltranePatterns::Coordinate;
    using Layer = VeltranePatterns::SolutionLayer;

    // The stop question for (layer, item) with the progress so far plus the fraction.
    bool shouldStop(int layer, int item, double fractionOfItem = 0.0) const;
    ItemProgressHandler progressHandler(int layer, int item) const;
    ItemPrinting printingAt(const Coordinate& anchor, const PrintingMode& mode,
                            const ItemProgressHandler& handler) const;
    // The item's corrected start for the anchor; abortedDuringMove when it is no position.
    Coordinate correctedStart(const VeltranePatterns::PatternItem& item, const Coordinate& anchor) const;

    // The layer's solution loaded (when it has a well) and the load tracked.
    void loadSolution(const Layer& layer);
    // False when asked to stop.
    bool printItemAt(int layer, int item);
    void reloadIfUsedUp(const VeltranePatterns::PatternItem& item);
    void findSurface(const Coordinate& plannedStart);

    // The UV passes. False when asked to stop.
    void cureWhilePrinting(const VeltranePatterns::PatternItem& item, const Coordinate& start, int layer,
                           int itemIndex);
    bool cureAfterLayer(int layer);
    bool cureAfterPattern();
    // The relay closed while the layers' printable items are retraced at the
    // offset, asking the stop question before each as (reportLayer, reportItem).
    bool retrace(std::size_t firstLayer, std::size_t endLayer, int reportLayer, int reportItem);

    const PrintPatternArguments& arguments_;
    PrintingElectronics& electronics_;
    const std::vector<Layer>& layers_;
    const PrintingMode itemMode_;
    Coordinate patternStart_;
    // The slopes count from the starting point, where the print's height was found.
    const SurfaceCant surfaceCant_;
    PrintProgress progress_;
    ReloadTracking reload_;
    const SolutionWell* currentWell_ = nullptr;
};

} // namespace Dotfield
