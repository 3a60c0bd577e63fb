#pragma once
// The application's main window. On Linux the menus need a window to sit in:
// this one carries them, and a status field per device (the electronics with
// their generation, the positioner, the relay, the humidity sensor) plus a
// "Simulated instrument" field when the program runs on the simulated
// instrument. Its centre holds the manual controls: their registration
// installs them with setCentralWidget(). The menus are MainMenu's. Closing it
// runs the window-closing operation, which closes the other operator windows.

#include <array>
#include <functional>

#include <QLabel>
#include <QMainWindow>
#include <QString>

#include "Dotfield/Application/DeviceStatus.hpp"

namespace Dotfield {

class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(bool simulatedInstrument, QWidget* parent = nullptr);

    // Main thread.
    void showDeviceStatus(ShellDevice device, const QString& text);
    QString deviceStatus(ShellDevice device) const;
    // True once every device has reported since the window was made.
    bool everyDeviceReported() const;

    // Runs when the window closes (the window-closing operation).
    void setWindowClosingOperation(std::function<void()> operation);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    static constexpr std::size_t deviceCount = 5;
    // The devices that report at launch (the dispenser's line comes later).
    static constexpr std::size_t launchDeviceCount = 4;
    std::array<QLabel*, deviceCount> statusFields_{};
    std::array<bool, deviceCount> reported_{};
    std::function<void()> windowClosingOperation_;
};

} // namespace Dotfield
