#include "Dotfield/Printing/Items/PrintablePatternItem.hpp"

#include <stdexcept>

#include "Dotfield/Printing/Items/ItemKindPrinting.hpp"
#include "VeltranePatterns/Source/Items/PatternItems.hpp"

namespace Dotfield {

using VeltranePatterns::PatternItemKind;

VeltranePatterns::Coordinate ItemPrinting::correctedPoint(const VeltranePatterns::Coordinate& q) const {
    return Dotfield::correctedPoint(q, {patternStart, surfaceCant, scaleFactor, rotation, topographyMap});
}

bool isPrintablePatternItem(const VeltranePatterns::PatternItem& item) {
    return item.kind() != PatternItemKind::pause;
}

void printItem(const VeltranePatterns::PatternItem& item, const ItemPrinting& printing) {
    switch (item.kind()) {
    case PatternItemKind::line:
        return printLine(static_cast<const VeltranePatterns::Line&>(item), printing);
    case PatternItemKind::arc:
        return printArc(static_cast<const VeltranePatterns::Arc&>(item), printing);
    case PatternItemKind::arcFill:
        return printArcFill(static_cast<const VeltranePatterns::ArcFill&>(item), printing);
    case PatternItemKind::fill:
        return printFill(static_cast<const VeltranePatterns::Fill&>(item), printing);
    case PatternItemKind::point:
        return printPoint(static_cast<const VeltranePatterns::Point&>(item), printing);
    case PatternItemKind::polygon:
        return printPolygon(static_cast<const VeltranePatterns::Polygon&>(item), printing);
    case PatternItemKind::pause:
        break;
    }
    throw std::invalid_argument("A pattern pause does not print");
}

} // namespace Dotfield
