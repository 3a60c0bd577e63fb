#include "VeltranePatterns/Source/Optimiser/PrintOrderOptimiser.hpp"

#include <algorithm>
#include <cmath>

#include "VeltranePatterns/Source/Optimiser/EndpointIndex.hpp"

namespace VeltranePatterns {

namespace {

struct RowItem {
    PatternItemPtr item;
    double minX;
    double minY;
};

bool hasPlanarNumbers(const Coordinate& c) {
    return !std::isnan(c.x) && !std::isnan(c.y);
}

bool isOrderable(const PatternItem& item, const Limits& limits) {
    if (std::isnan(limits.minX) || std::isnan(limits.minY) || !hasPlanarNumbers(item.startingCoordinate())) {
        return false;
    }
    const std::optional<Coordinate> end = item.endingCoordinate();
    return !end || hasPlanarNumbers(*end);
}

// Rows in ascending minimum y, the first by ascending minimum x, the next by
// descending, and so on; equal keys keep the input order.
std::vector<PatternItemPtr> serpentine(std::vector<RowItem> rowItems) {
    std::stable_sort(rowItems.begin(), rowItems.end(),
                     [](const RowItem& a, const RowItem& b) { return a.minY < b.minY; });
    std::vector<PatternItemPtr> list;
    list.reserve(rowItems.size());
    bool ascending = true;
    for (auto rowStart = rowItems.begin(); rowStart != rowItems.end();) {
        const auto rowEnd = std::find_if(
            rowStart, rowItems.end(), [y = rowStart->minY](const RowItem& item) { return item.minY != y; });
        if (ascending) {
            std::stable_sort(rowStart, rowEnd,
                             [](const RowItem& a, const RowItem& b) { return a.minX < b.minX; });
        } else {
            std::stable_sort(rowStart, rowEnd,
                             [](const RowItem& a, const RowItem& b) { return a.minX > b.minX; });
        }
        for (auto it = rowStart; it != rowEnd; ++it) {
            list.push_back(std::move(it->item));
        }
        ascending = !ascending;
        rowStart = rowEnd;
    }
    return list;
}

bool sameCoordinate(const Coordinate& a, const Coordinate& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

} // namespace

std::vector<PatternItemPtr> optimizePatternItemOrderForPrinting(const std::vector<PatternItemPtr>& items) {
    std::vector<RowItem> rowItems;
    std::vector<PatternItemPtr> unorderable;
    rowItems.reserve(items.size());
    for (const PatternItemPtr& item : items) {
        const Limits limits = item->limits();
        if (isOrderable(*item, limits)) {
            rowItems.push_back({item, limits.minX, limits.minY});
        } else {
            unorderable.push_back(item);
        }
    }

    const std::vector<PatternItemPtr> list = serpentine(std::move(rowItems));
    EndpointIndex index(list.size());
    std::vector<Coordinate> starts;
    std::vector<std::optional<Coordinate>> ends;
    starts.reserve(list.size());
    ends.reserve(list.size());
    for (std::size_t p = 0; p < list.size(); ++p) {
        starts.push_back(list[p]->startingCoordinate());
        ends.push_back(list[p]->endingCoordinate());
        index.addEndpoint(starts[p], p);
        if (ends[p]) {
            index.addEndpoint(*ends[p], p);
        }
    }

    std::vector<PatternItemPtr> result;
    result.reserve(items.size());
    std::vector<bool> placed(list.size(), false);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (placed[i]) {
            continue;
        }
        placed[i] = true;
        index.removeEndpoints(i);
        if (!ends[i]) {
            result.push_back(list[i]);
            continue;
        }
        // Start the chain at the end that touches something, the far end first.
        Coordinate current = *ends[i];
        if (index.firstItemIndex(*ends[i]) || !index.firstItemIndex(starts[i])) {
            result.push_back(list[i]);
        } else {
            result.push_back(list[i]->reversed());
            current = starts[i];
        }
        while (const std::optional<std::size_t> next = index.firstItemIndex(current)) {
            const std::size_t j = *next;
            placed[j] = true;
            index.removeEndpoints(j);
            if (sameCoordinate(starts[j], current)) {
                result.push_back(list[j]);
                if (!ends[j]) {
                    break;
                }
                current = *ends[j];
            } else {
                result.push_back(list[j]->reversed());
                current = starts[j];
            }
        }
    }

    for (PatternItemPtr& item : unorderable) {
        result.push_back(std::move(item));
    }
    return result;
}

} // namespace VeltranePatterns
