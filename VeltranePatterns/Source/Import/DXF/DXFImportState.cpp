#include "VeltranePatterns/Source/Import/DXF/DXFImportState.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
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

std::size_t DXFImportState::itemCount() const {
    std::size_t count = 0;
    for (const Layer& layer : layers_) {
        count += layer.items.size();
    }
    return count;
}

void DXFImportState::noteNotImported(std::size_t count, std::string one, std::string many) {
    if (count > 0) {
        otherKindsNotImported_.push_back(LeftOut{count, std::move(one), std::move(many)});
    }
}

std::vector<std::string> DXFImportState::summaryLines() const {
    std::vector<std::string> lines;
    const auto add = [&lines](std::size_t count, const std::string& one, const std::string& many) {
        if (count == 1) {
            lines.push_back("1 " + one + " was not imported");
        } else if (count > 1) {
            lines.push_back(std::to_string(count) + " " + many + " were not imported");
        }
    };
    add(ellipsesNotImported_, "ellipse", "ellipses");
    add(splinesNotImported_, "spline", "splines");
    for (const LeftOut& kind : otherKindsNotImported_) {
        add(kind.count, kind.one, kind.many);
    }
    return lines;
}

std::string dxfUnitName(std::int64_t code) {
    static const char* const names[] = {
        "unitless",    "inches",     "feet",       "miles",          "millimetres",   "centimetres", "metres",
        "kilometres",  "microinches", "mils",      "yards",          "angstroms",     "nanometres",  "micrometres",
        "decimetres",  "decametres", "hectometres", "gigametres",    "astronomical units", "light years", "parsecs",
        "US survey feet", "US survey inches", "US survey yards", "US survey miles",
    };
    if (code >= 0 && static_cast<std::size_t>(code) < std::size(names)) {
        return names[code];
    }
    return "of code " + std::to_string(code);
}

} // namespace VeltranePatterns
