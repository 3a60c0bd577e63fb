#include <stdexcept>

#include "Dotfield/Printing/Items/ItemKindPrinting.hpp"
#include "VeltranePatterns/Source/Items/Polygon.hpp"

namespace Dotfield {

// The polygon's own printing comes with the document controller's work; until
// then a polygon is refused rather than skipped unprinted.
void printPolygon(const VeltranePatterns::Polygon&, const ItemPrinting&) {
    throw std::logic_error("Printing polygons is not available yet");
}

} // namespace Dotfield
