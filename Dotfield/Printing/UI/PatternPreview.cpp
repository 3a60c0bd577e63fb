#include "Dotfield/Printing/UI/PatternPreview.hpp"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPen>
#include <QResizeEvent>

#include "VeltranePatterns/Source/Drawing/DrawablePatternItems.hpp"
#include "VeltranePatterns/Source/Drawing/PatternItemLayerSequence.hpp"

namespace Dotfield {

using VeltranePatterns::DisplayState;

namespace {

// Above this many state changes a step redraws the whole cache.
constexpr std::size_t largestPartialRedraw = 64;

QRectF layerRect(const VeltranePatterns::PatternItemLayer& layer) {
    return {layer.pos(), layer.bounds().size()};
}

void paintLayer(QPainter& painter, VeltranePatterns::PatternItemLayer& layer) {
    painter.save();
    painter.translate(layer.pos());
    layer.paint(&painter, nullptr, nullptr);
    painter.restore();
}

} // namespace

PatternPreview::PatternPreview(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PatternPreview::~PatternPreview() = default;

void PatternPreview::setLowerLeft(PreviewPoint point) { lowerLeft_ = {point.x, point.y}; }

void PatternPreview::setUpperRight(PreviewPoint point) { upperRight_ = {point.x, point.y}; }

// ---- Scale ----------------------------------------------------------------------------------

double PatternPreview::calculatedScaleFactor() {
    const QPointF ll = lowerLeft_;
    QPointF ur = upperRight_;
    if (std::abs(ll.x() - ur.x()) < 0.01) {
        ur.setX(ur.x() + std::abs(ll.y() - ur.y()));
        upperRight_ = ur;
    }
    if (std::abs(ll.y() - ur.y()) < 0.01) {
        ur.setY(ur.y() + std::abs(ll.x() - ur.x()));
        upperRight_ = ur;
    }
    const double width = std::abs(ll.x() - ur.x());
    const double height = std::abs(ll.y() - ur.y());
    if (!(width > 0.01) || !(height > 0.01)) {
        return 0.0;
    }
    const double fwu = featureWidthInUnits();
    return std::min(static_cast<double>(this->height()) / (fwu + std::abs(ur.y() - std::max(ll.y(), 0.0))),
                    static_cast<double>(this->width()) / (fwu + std::abs(ur.x() - std::min(ll.x(), 0.0))));
}

QPointF PatternPreview::calculatedOriginOffsetWithScaleFactor(double scaleFactor) const {
    const double fwu = featureWidthInUnits();
    return {(fwu / 2.0 - std::min(lowerLeft_.x(), 0.0) - origin_.x) * scaleFactor,
            (fwu / 2.0 - std::min(upperRight_.y(), 0.0) - origin_.y) * scaleFactor};
}

// ---- Item layers -------------------------------------------------------------------------

void PatternPreview::rebuildPatternItemLayers() {
    const double scale = calculatedScaleFactor();
    const QPointF offset = calculatedOriginOffsetWithScaleFactor(scale);
    previouslySelectedLayer_ = nullptr;
    patternItemLayers_.clear();
    drawableItemsBefore_.clear();
    layerNames_.clear();
    invalidateLayerIndex();
    if (!pattern_) {
        return;
    }
    const double fwu = featureWidthInUnits();
    for (const auto& solutionLayer : pattern_->solutionLayers()) {
        const int layerIndex = static_cast<int>(patternItemLayers_.size());
        const bool hidden = disabledLayers_.contains(solutionLayer.solutionName());
        std::vector<std::unique_ptr<PatternItemLayer>> layers;
        std::vector<int> before{0};
        before.reserve(solutionLayer.patternItems().size() + 1);
        int itemIndex = 0;
        for (const auto& item : solutionLayer.patternItems()) {
            if (auto drawable = VeltranePatterns::makeDrawablePatternItem(item)) {
                auto layer = std::make_unique<PatternItemLayer>(drawable, fwu, scale);
                // Items the current progress has passed are shown printed.
                const bool printed = layerIndex < currentlyPrintingLayer_ ||
                                     (layerIndex == currentlyPrintingLayer_ && itemIndex < currentlyPrintingItemInLayer_);
                if (printed) {
                    layer->setState(DisplayState::printed);
                }
                layer->setFrame(drawable->frame(scale, fwu, {offset.x(), offset.y()}));
                layer->setVisible(!hidden);
                layers.push_back(std::move(layer));
            }
            before.push_back(static_cast<int>(layers.size()));
            ++itemIndex;
        }
        patternItemLayers_.push_back(std::move(layers));
        drawableItemsBefore_.push_back(std::move(before));
        layerNames_.push_back(solutionLayer.solutionName());
    }
    if (auto* current = layerForPatternItem(currentlyPrintingLayer_, currentlyPrintingItemInLayer_)) {
        current->setState(DisplayState::selected);
        previouslySelectedLayer_ = current;
    }
    update();
}

void PatternPreview::layoutItemLayers() {
    const double scale = calculatedScaleFactor();
    const QPointF offset = calculatedOriginOffsetWithScaleFactor(scale);
    const double fwu = featureWidthInUnits();
    for (const auto& list : patternItemLayers_) {
        for (const auto& layer : list) {
            layer->setFeatureWidth(fwu);
            layer->setScaleFactor(scale);
            layer->setFrame(layer->patternItem()->frame(scale, fwu, {offset.x(), offset.y()}));
        }
    }
    invalidateLayerIndex();
}

int PatternPreview::drawableItemsBefore(int layer, int item) const {
    if (layer < 0 || layer >= static_cast<int>(drawableItemsBefore_.size()) || item < 0) {
        return 0;
    }
    const auto& before = drawableItemsBefore_[static_cast<std::size_t>(layer)];
    return before[std::min(static_cast<std::size_t>(item), before.size() - 1)];
}

PatternPreview::PatternItemLayer* PatternPreview::layerForPatternItem(int layer, int item) const {
    if (layer < 0 || layer >= static_cast<int>(drawableItemsBefore_.size()) || item < 0) {
        return nullptr;
    }
    const auto& before = drawableItemsBefore_[static_cast<std::size_t>(layer)];
    if (static_cast<std::size_t>(item) + 1 >= before.size()) {
        return nullptr;
    }
    const int index = before[static_cast<std::size_t>(item)];
    if (before[static_cast<std::size_t>(item) + 1] == index) {
        return nullptr; // a pause
    }
    return patternItemLayers_[static_cast<std::size_t>(layer)][static_cast<std::size_t>(index)].get();
}

// ---- Progress -------------------------------------------------------------------------------

void PatternPreview::setLayerState(PatternItemLayer& layer, DisplayState state,
                                   std::vector<const PatternItemLayer*>& changed) {
    if (layer.state() != state) {
        layer.setState(state);
        changed.push_back(&layer);
    }
}

void PatternPreview::setCurrentlyPrintingItemInLayer(int item) {
    currentlyPrintingItemInLayer_ = item;
    highlightCurrentlyPrintingItem();
}

void PatternPreview::highlightCurrentlyPrintingItem() {
    std::vector<const PatternItemLayer*> changed;
    if (previouslySelectedLayer_) {
        setLayerState(*previouslySelectedLayer_, DisplayState::printed, changed);
    }
    if (auto* current = layerForPatternItem(currentlyPrintingLayer_, currentlyPrintingItemInLayer_)) {
        previouslySelectedLayer_ = current;
        setLayerState(*current, DisplayState::selected, changed);
    }
    redrawLayers(changed);
    // The background follows the printing item.
    update();
}

void PatternPreview::simulatePrintingUpToLayer(int layer, int item) {
    if (layer < 0 || layer >= static_cast<int>(patternItemLayers_.size())) {
        return;
    }
    previouslySelectedLayer_ = nullptr;
    std::vector<const PatternItemLayer*> changed;
    const int firstUnprinted = drawableItemsBefore(layer, item);
    for (int l = 0; l <= layer; ++l) {
        const auto& list = patternItemLayers_[static_cast<std::size_t>(l)];
        for (std::size_t i = 0; i < list.size(); ++i) {
            const bool printed = l < layer || static_cast<int>(i) < firstUnprinted;
            setLayerState(*list[i], printed ? DisplayState::printed : DisplayState::normal, changed);
        }
    }
    currentlyPrintingLayer_ = layer;
    setCurrentlyPrintingItemInLayer(item);
    redrawLayers(changed);
}

// ---- Solution layers ----------------------------------------------------------------------

void PatternPreview::setLayersHidden(const std::string& solutionName, bool hidden) {
    if (!pattern_) {
        return;
    }
    const auto& solutionLayers = pattern_->solutionLayers();
    const bool known = std::any_of(solutionLayers.begin(), solutionLayers.end(),
                                   [&](const auto& layer) { return layer.solutionName() == solutionName; });
    if (!known) {
        return;
    }
    // Printing and export drop every layer of the name, so every one is hidden.
    for (std::size_t l = 0; l < layerNames_.size(); ++l) {
        if (layerNames_[l] == solutionName) {
            for (const auto& layer : patternItemLayers_[l]) {
                layer->setVisible(!hidden);
            }
        }
    }
    if (hidden) {
        disabledLayers_.insert(solutionName);
    } else {
        disabledLayers_.erase(solutionName);
    }
    invalidateItemCache();
}

void PatternPreview::hideLayer(const std::string& solutionName) { setLayersHidden(solutionName, true); }

void PatternPreview::showLayer(const std::string& solutionName) { setLayersHidden(solutionName, false); }

void PatternPreview::updateDisplay() {
    layoutItemLayers();
    update();
}

// ---- Item cache -------------------------------------------------------------------------

void PatternPreview::invalidateItemCache() {
    itemCacheValid_ = false;
    pendingRedraws_.clear();
    update();
}

void PatternPreview::invalidateLayerIndex() {
    layerIndexValid_ = false;
    invalidateItemCache();
}

void PatternPreview::ensureLayerIndex() {
    if (layerIndexValid_ && layerIndexSize_ == itemCache_.size()) {
        return;
    }
    layersInDrawingOrder_.clear();
    std::vector<QRectF> rects;
    for (const auto& list : patternItemLayers_) {
        for (const auto& layer : list) {
            layersInDrawingOrder_.push_back(layer.get());
            rects.push_back(layerRect(*layer));
        }
    }
    layerIndex_.rebuild(rects, QSizeF(itemCache_.size()));
    layerSegments_.reset(layersInDrawingOrder_.size());
    layerIndexSize_ = itemCache_.size();
    layerIndexValid_ = true;
}

void PatternPreview::ensureItemCache() {
    if (itemCacheValid_ && itemCache_.size() == size()) {
        redrawPendingLayers();
        return;
    }
    pendingRedraws_.clear();
    if (itemCache_.size() != size()) {
        itemCache_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    }
    itemCache_.fill(Qt::transparent);
    ensureLayerIndex();
    QPainter painter(&itemCache_);
    VeltranePatterns::PatternItemLayerSequence sequence(painter, layerSegments_);
    for (std::size_t position = 0; position < layersInDrawingOrder_.size(); ++position) {
        PatternItemLayer& layer = *layersInDrawingOrder_[position];
        if (layer.isVisible()) {
            sequence.paint(layer, position);
        }
    }
    itemCacheValid_ = true;
}

void PatternPreview::redrawLayers(const std::vector<const PatternItemLayer*>& layers) {
    // Print progress can step many times between two frames: the places are
    // redrawn once, when the view paints next.
    if (layers.empty() || !itemCacheValid_) {
        return;
    }
    pendingRedraws_.insert(pendingRedraws_.end(), layers.begin(), layers.end());
    // Past a share of all the layers, painting the cache afresh is cheaper.
    if (pendingRedraws_.size() > std::max(largestPartialRedraw, layersInDrawingOrder_.size() / 8)) {
        invalidateItemCache();
        return;
    }
    update();
}

void PatternPreview::redrawPendingLayers() {
    if (pendingRedraws_.empty()) {
        return;
    }
    std::sort(pendingRedraws_.begin(), pendingRedraws_.end());
    pendingRedraws_.erase(std::unique(pendingRedraws_.begin(), pendingRedraws_.end()), pendingRedraws_.end());
    QPainter painter(&itemCache_);
    for (const auto* changed : pendingRedraws_) {
        const QRectF area = layerRect(*changed);
        if (area.isEmpty()) {
            continue;
        }
        painter.save();
        painter.setClipRect(area);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillRect(area, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // Every visible layer under the area, in drawing order.
        for (const std::uint32_t position : layerIndex_.candidates(area)) {
            PatternItemLayer& layer = *layersInDrawingOrder_[position];
            if (layer.isVisible() && layerRect(layer).intersects(area)) {
                paintLayer(painter, layer);
            }
        }
        painter.restore();
    }
    pendingRedraws_.clear();
}

// ---- Drawing --------------------------------------------------------------------------------

void PatternPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutItemLayers();
}

void PatternPreview::paintEvent(QPaintEvent* /*event*/) {
    const double scale = calculatedScaleFactor();
    previouslyCalculatedScaleFactor_ = scale;
    const QPointF offset = calculatedOriginOffsetWithScaleFactor(scale);
    QPainter painter(this);
    paintBackground(painter, scale, offset);
    ensureItemCache();
    painter.drawImage(0, 0, itemCache_);
}

void PatternPreview::paintBackground(QPainter& painter, double scale, QPointF offset) {
    const QRectF bounds = rect();
    QPen pen(Qt::black, 1.0);
    if (currentlyPrintingLayer_ < 0) {
        painter.fillRect(bounds, Qt::white);
    } else {
        painter.fillRect(bounds, backgroundColor());
        static const std::vector<VeltranePatterns::SolutionLayer> noLayers;
        const auto& solutionLayers = pattern_ ? pattern_->solutionLayers() : noLayers;
        if (currentlyPrintingLayer_ < static_cast<int>(solutionLayers.size())) {
            const auto& items = solutionLayers[static_cast<std::size_t>(currentlyPrintingLayer_)].patternItems();
            if (currentlyPrintingItemInLayer_ >= 0 && currentlyPrintingItemInLayer_ < static_cast<int>(items.size())) {
                const auto limits = items[static_cast<std::size_t>(currentlyPrintingItemInLayer_)]->limits();
                const double left = limits.minX * scale + offset.x() - 20.0;
                const double top = limits.minY * scale + offset.y() - 20.0;
                const double right = limits.maxX * scale + offset.x() + 20.0;
                const double bottom = limits.maxY * scale + offset.y() + 20.0;
                painter.fillRect(QRectF(left, top, (limits.maxX - limits.minX) * scale + 40.0,
                                        (limits.maxY - limits.minY) * scale + 40.0),
                                 Qt::white);
                pen = QPen(QColor::fromRgbF(0.5F, 0.5F, 0.5F), 1.0);
                pen.setDashPattern({10.0, 10.0});
                pen.setDashOffset(0.0);
                painter.setPen(pen);
                painter.drawLine(QPointF(0.0, std::round(top)), QPointF(bounds.width(), std::round(top)));
                painter.drawLine(QPointF(0.0, std::round(bottom)), QPointF(bounds.width(), std::round(bottom)));
                painter.drawLine(QPointF(std::round(right), 0.0), QPointF(std::round(right), bounds.height()));
                painter.drawLine(QPointF(std::round(left), 0.0), QPointF(std::round(left), bounds.height()));
                pen.setStyle(Qt::SolidLine);
            }
        }
    }
    paintOutOfReachZones(painter, scale, offset);
    painter.setPen(pen);
    const QPointF centre(origin_.x * scale + offset.x(), origin_.y * scale + offset.y());
    painter.drawLine(centre - QPointF(10.0, 0.0), centre + QPointF(10.0, 0.0));
    painter.drawLine(centre - QPointF(0.0, 10.0), centre + QPointF(0.0, 10.0));
}

void PatternPreview::paintOutOfReachZones(QPainter& painter, double scale, QPointF offset) const {
    // Without a place to start from there is nothing to measure the reach by.
    if (!minimumLimitsForRobot_ || !maximumLimitsForRobot_ || !startingLocation_) {
        return;
    }
    const double units = scalingFromUnitsToMicrons_;
    const Coordinate max = *maximumLimitsForRobot_ / units;
    const Coordinate min = *minimumLimitsForRobot_ / units;
    const Coordinate start = *startingLocation_ / units;
    const QRectF bounds = rect();
    // The band edges are where the travel limits fall in the view once the
    // origin is placed at the starting location.
    if (upperRight_.x() + start.x > max.x) {
        const double x = (origin_.x + max.x - start.x) * scale + offset.x();
        painter.fillRect(QRectF(QPointF(x, 0.0), QPointF(bounds.width(), bounds.height())), Qt::red);
    }
    if (min.x > lowerLeft_.x() + start.x) {
        const double x = (origin_.x + min.x - start.x) * scale + offset.x();
        painter.fillRect(QRectF(QPointF(0.0, 0.0), QPointF(x, bounds.height())), Qt::red);
    }
    if (min.y > upperRight_.y() + start.y) {
        const double y = (origin_.y + min.y - start.y) * scale + offset.y();
        painter.fillRect(QRectF(QPointF(0.0, 0.0), QPointF(bounds.width(), y)), Qt::red);
    }
    if (lowerLeft_.y() + start.y > max.y) {
        const double y = (origin_.y + max.y - start.y) * scale + offset.y();
        painter.fillRect(QRectF(QPointF(0.0, y), QPointF(bounds.width(), bounds.height())), Qt::red);
    }
}

} // namespace Dotfield
