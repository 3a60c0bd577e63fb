#include "VeltranePatterns/Source/Drawing/DrawablePatternItems.hpp"

#include <utility>

#include "Diagnostics/ProgramStop.hpp"
#include "VeltranePatterns/Source/Drawing/ItemDrawing.hpp"
#include "VeltranePatterns/Source/Items/PatternItems.hpp"

namespace VeltranePatterns {

bool isDrawable(PatternItemKind kind) {
    return kind != PatternItemKind::pause;
}

DrawableItem::DrawableItem(PatternItemPtr item) : item_(std::move(item)) {
    if (!item_ || !isDrawable(item_->kind())) {
        Diagnostics::stopProgram("A DrawableItem needs an item of a kind that draws");
    }
}

void DrawableItem::drawAtOffset(const Coordinate& offset, const ScaleFactors& scale, double /*rotation*/,
                                DrawingContext& context) const {
    const PatternItem& item = *item_;
    switch (item.kind()) {
    case PatternItemKind::line:
        drawLine(static_cast<const Line&>(item), offset, scale, context);
        return;
    case PatternItemKind::point:
        drawPoint(static_cast<const Point&>(item), offset, scale, context);
        return;
    case PatternItemKind::arc:
        drawArc(static_cast<const Arc&>(item), offset, scale, context);
        return;
    case PatternItemKind::arcFill:
        drawArcFill(static_cast<const ArcFill&>(item), offset, scale, context);
        return;
    case PatternItemKind::fill:
        drawFill(static_cast<const Fill&>(item), offset, scale, context);
        return;
    case PatternItemKind::polygon:
        drawPolygon(static_cast<const Polygon&>(item), offset, scale, context);
        return;
    case PatternItemKind::pause:
        return;
    }
}

DrawablePatternItemPtr makeDrawablePatternItem(PatternItemPtr item) {
    if (!item || !isDrawable(item->kind())) {
        return nullptr;
    }
    return std::make_shared<DrawableItem>(std::move(item));
}

} // namespace VeltranePatterns
