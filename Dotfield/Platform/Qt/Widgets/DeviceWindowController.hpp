#pragma once
// What the device windows' controllers share: the window is made on first
// use (makeWindow(), then windowDidLoad()), lives as long as the controller,
// and closing it only hides it.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace Dotfield {

class DeviceWindowController : public QObject {
  public:
    explicit DeviceWindowController(QObject* parent = nullptr) : QObject(parent) {}
    ~DeviceWindowController() override { deleteWindow(); }

    QWidget* window() {
        if (!window_) {
            window_ = makeWindow();
            windowDidLoad();
        }
        return window_;
    }

    void showWindow() {
        window()->show();
        window_->raise();
        window_->activateWindow();
    }

  protected:
    bool isWindowLoaded() const { return !window_.isNull(); }
    // Subclasses call this first in their destructor: a field that loses the
    // focus as its window goes still hands its entry to the subclass.
    void deleteWindow() { delete window_.data(); }
    // A top-level widget without a parent; the controller owns it.
    virtual QWidget* makeWindow() = 0;
    virtual void windowDidLoad() {}

  private:
    QPointer<QWidget> window_;
};

} // namespace Dotfield
