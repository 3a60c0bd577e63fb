#include "Dotfield/Platform/Qt/WindowPlacement.hpp"

#include <algorithm>
#include <limits>

namespace Dotfield {

namespace {

// The frame moved the least distance to lie inside the area; a frame larger
// than the area keeps the area's top left edge.
QRect pushedInside(QRect frame, const QRect& area) {
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() - frame.width() + 1)));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() - frame.height() + 1)));
    return frame;
}

// How far apart two rectangles are (0 when they touch or overlap), squared.
long long distanceSquared(const QRect& a, const QRect& b) {
    const long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

const QRect* nearestArea(const QRect& frame, const QList<QRect>& areas) {
    const QRect* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& area : areas) {
        if (const long long distance = distanceSquared(frame, area); distance < best) {
            best = distance;
            nearest = &area;
        }
    }
    return nearest;
}

// The area holding the main window: the one it overlaps most, else the nearest.
QRect mainWindowArea(const QRect& mainFrame, const QList<QRect>& areas) {
    const QRect* chosen = nullptr;
    long long largest = 0;
    for (const QRect& area : areas) {
        const QRect shared = area.intersected(mainFrame);
        if (const long long size = static_cast<long long>(shared.width()) * shared.height(); size > largest) {
            largest = size;
            chosen = &area;
        }
    }
    return chosen != nullptr ? *chosen : *nearestArea(mainFrame, areas);
}

} // namespace

QRect placeBesideMainWindow(QSize frame, const QRect& mainFrame, const QList<QRect>& otherFrames,
                            const QList<QRect>& availableAreas) {
    const QRect beside(QPoint(mainFrame.right() + 1 + windowPlacementGap, mainFrame.top()), frame);
    if (availableAreas.isEmpty()) {
        return beside;
    }
    const QRect area = mainWindowArea(mainFrame, availableAreas);
    QList<QRect> anchors{mainFrame};
    anchors.append(otherFrames);

    QList<QRect> candidates;
    for (const QRect& anchor : anchors) {
        candidates.append(QRect(QPoint(anchor.right() + 1 + windowPlacementGap, anchor.top()), frame));
        candidates.append(QRect(QPoint(anchor.left(), anchor.bottom() + 1 + windowPlacementGap), frame));
    }
    for (const QPoint corner : {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()}) {
        // The frame inside the area at that corner.
        candidates.append(pushedInside(QRect(corner, frame), area));
    }
    // The free spot first; else the one inside the area that keeps off the
    // main window and covers the others least.
    const QRect* best = nullptr;
    long long leastCovered = std::numeric_limits<long long>::max();
    for (const QRect& candidate : candidates) {
        if (!area.contains(candidate) || candidate.intersects(mainFrame)) {
            continue;
        }
        long long covered = 0;
        for (const QRect& other : otherFrames) {
            const QRect shared = other.intersected(candidate);
            covered += static_cast<long long>(shared.width()) * shared.height();
        }
        if (covered < leastCovered) {
            leastCovered = covered;
            best = &candidate;
        }
        if (covered == 0) {
            break;
        }
    }
    if (best != nullptr) {
        return *best;
    }
    return pushedInside(beside, area);
}

QRect broughtOnScreen(const QRect& frame, const QList<QRect>& availableAreas) {
    const bool onScreen = std::any_of(availableAreas.begin(), availableAreas.end(),
                                      [&frame](const QRect& area) { return area.intersects(frame); });
    if (onScreen || availableAreas.isEmpty()) {
        return frame;
    }
    return pushedInside(frame, *nearestArea(frame, availableAreas));
}

} // namespace Dotfield
