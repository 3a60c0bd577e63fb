#include "Dotfield/Platform/Qt/WindowPlacer.hpp"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include "Dotfield/Platform/Qt/WindowPlacement.hpp"

namespace Dotfield {

namespace {

// Where the rule put a window; a window still there was not moved since.
constexpr const char* placedProperty = "dotfieldWindowPlacedAt";

QList<QRect> availableAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas.append(screen->availableGeometry());
    }
    return areas;
}

// A window not yet on screen has no frame: it will get the one the main
// window has.
QRect expectedFrame(const QWidget& window, const QWidget& mainWindow) {
    const QRect frame = window.frameGeometry();
    if (frame != window.geometry()) {
        return frame;
    }
    const QRect mainFrame = mainWindow.frameGeometry();
    const QRect mainInside = mainWindow.geometry();
    return frame.adjusted(mainFrame.left() - mainInside.left(), mainFrame.top() - mainInside.top(),
                          mainFrame.right() - mainInside.right(), mainFrame.bottom() - mainInside.bottom());
}

} // namespace

WindowPlacer::WindowPlacer(QWidget& mainWindow) : mainWindow_(&mainWindow) {
    qApp->installEventFilter(this);
}

WindowPlacer::~WindowPlacer() {
    qApp->removeEventFilter(this);
}

bool WindowPlacer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == mainWindow_) {
        keepBesideMainWindow();
    } else if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        // Frameless windows are floating panels their owners place.
        if (window->isWindow() && window->windowType() == Qt::Window &&
            !window->windowFlags().testFlag(Qt::FramelessWindowHint) && !mainWindow_.isNull()) {
            place(*window);
        }
    }
    return false;
}

void WindowPlacer::place(QWidget& window) {
    // Layouts still pending give the windows their sizes before they are measured.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QList<QRect> areas = availableAreas();
    const QRect frame = expectedFrame(window, *mainWindow_);
    if (&window == mainWindow_ || window.property(placedProperty).isValid()) {
        moveFrame(window, frame, broughtOnScreen(frame, areas));
    } else {
        placeBeside(window, frame, areas);
    }
}

void WindowPlacer::placeBeside(QWidget& window, const QRect& frame, const QList<QRect>& areas) {
    QList<QRect> others;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != &window && other != mainWindow_ && other->isVisible() &&
            other->property(placedProperty).isValid()) {
            others.append(other->frameGeometry());
        }
    }
    const QRect placed = placeBesideMainWindow(frame.size(), mainWindow_->frameGeometry(), others, areas);
    moveFrame(window, frame, placed);
    window.setProperty(placedProperty, placed.topLeft());
}

void WindowPlacer::keepBesideMainWindow() {
    const QRect mainFrame = mainWindow_->frameGeometry();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const QVariant placedAt = window->property(placedProperty);
        if (window != mainWindow_ && window->isVisible() && placedAt.isValid() &&
            placedAt.toPoint() == window->frameGeometry().topLeft() &&
            window->frameGeometry().intersects(mainFrame)) {
            placeBeside(*window, window->frameGeometry(), availableAreas());
        }
    }
}

void WindowPlacer::moveFrame(QWidget& window, const QRect& frame, const QRect& placed) {
    if (placed.topLeft() != frame.topLeft()) {
        // A window's position is that of its frame.
        window.move(placed.topLeft());
    }
}

} // namespace Dotfield
