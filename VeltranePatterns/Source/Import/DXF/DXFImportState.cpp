#include "VeltranePatterns/Source/Import/DXF/DXFImportState.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace VeltranePatterns {

void DXFImportState::file(const std::string& layerName, std::vector<PatternItemPtr> items) {
    const auto [entry, isNew] = layerIndex_.try_emplace(layerName, layers_.size());
    if (isNew) {
        layers_.push_back(Layer{layerName, std::move(items)});
        return;
    }
    auto& layerItems = layers_[entry->second].items;
    layerItems.insert(layerItems.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
}

void DXFImportState::widen(const Limits& box) {
    if (!bounds_) {
        bounds_ = box;
        return;
    }
    bounds_->minX = std::min(bounds_->minX, box.minX);
    bounds_->maxX = std::max(bounds_->maxX, box.maxX);
    bounds_->minY = std::min(bounds_->minY, box.minY);
    bounds_->maxY = std::max(bounds_->maxY, box.maxY);
    bounds_->minZ = std::min(bounds_->minZ, box.minZ);
    bounds_->maxZ = std::max(bounds_->maxZ, box.maxZ);
}

std::vector<DXFImportState::Layer> DXFImportState::takeLayers() {
    layerIndex_.clear();
    return std::exchange(layers_, {});
}

bool DXFImportState::isFinite(const Limits& box) {
    return std::isfinite(box.minX) && std::isfinite(box.maxX) && std::isfinite(box.minY) &&
           std::isfinite(box.maxY) && std::isfinite(box.minZ) && std::isfinite(box.maxZ);
}

Limits DXFImportState::bounds() const { return bounds_.value_or(Limits{}); }

} // namespace VeltranePatterns
