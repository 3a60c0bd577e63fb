#pragma once
// The dispenser state panel: a small floating window in the middle of the
// primary screen that says for a few seconds that the dispenser was
// connected, disconnected or calibrated, or is being recalibrated. Each panel
// is a new transparent window holding its content on a rounded backdrop; it
// fades in, fades out 3.0 s after it was shown, and is then closed and deleted.

#include <chrono>

#include <QPoint>
#include <QRect>
#include <QSize>

#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibrationDisplay.hpp"

class QWidget;

namespace Dotfield {

class TransparentWindow;

struct DispenserStatePanelTimes {
    std::chrono::milliseconds fadeIn{250};
    // From the show to the start of the fade-out.
    std::chrono::milliseconds shown{3000};
    std::chrono::milliseconds fadeOut{250};
};

// The origin that centres a panel on the screen: the screen's origin plus
// half the difference of the sizes, each rounded half away from zero.
QPoint centredPanelOrigin(const QSize& panel, const QRect& screen);

// The panel's content: a line of text (and nothing behind it) of the panel's
// size.
QWidget* makeDispenserStatePanelContent(DispenserStatePanel panel);

// Shows the content (taken over) on a rounded backdrop in a new transparent
// window centred on the primary screen, and runs its fades; the window
// deletes itself after the fade-out.
TransparentWindow* showDispenserStatePanel(QWidget* content, const DispenserStatePanelTimes& times);

} // namespace Dotfield
