#pragma once
// Applies the placement rules (WindowPlacement.hpp) to the application's
// windows as they are shown: the main window and any window shown again are
// brought back onto a screen when their position lies off every screen; any
// other window shown for the first time goes beside the main window and the
// windows already shown, and moves on beside it when the main window grows
// over it (its status fields widen) unless the operator has moved it since.
// Dialogs, alerts, menus and floating panels are left where Qt and their
// owners put them. Main thread.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

namespace Dotfield {

class WindowPlacer final : public QObject {
  public:
    // Watches every window of the application while it lives.
    explicit WindowPlacer(QWidget& mainWindow);
    ~WindowPlacer() override;
    WindowPlacer(const WindowPlacer&) = delete;
    WindowPlacer& operator=(const WindowPlacer&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void place(QWidget& window);
    void placeBeside(QWidget& window, const QRect& frame, const QList<QRect>& areas);
    void keepBesideMainWindow();
    static void moveFrame(QWidget& window, const QRect& frame, const QRect& placed);

    QPointer<QWidget> mainWindow_;
};

} // namespace Dotfield
