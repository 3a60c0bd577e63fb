#include "Dotfield/Application/UI/Shell/MainWindow.hpp"

#include <algorithm>

#include <QCloseEvent>
#include <QLayout>
#include <QStatusBar>

namespace Dotfield {

namespace {

struct StatusField {
    const char* objectName;
    const char* initialText;
};

constexpr std::array<StatusField, 5> statusFields{{
    {"electronicsStatus", "Electronics: connecting"},
    {"positionerStatus", "Positioner: connecting"},
    {"relayStatus", "Relay: connecting"},
    {"humiditySensorStatus", "Humidity sensor: connecting"},
    {"dispenserStatus", "Dispenser: not polled"},
}};

} // namespace

MainWindow::MainWindow(bool simulatedInstrument, QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainWindow");
    setWindowTitle(simulatedInstrument ? "Dotfield (simulated instrument)" : "Dotfield");
    auto* centre = new QWidget(this);
    centre->setObjectName("manualControlsArea");
    centre->setMinimumSize(480, 240);
    setCentralWidget(centre);
    resize(1180, 480);

    for (std::size_t i = 0; i < statusFields.size(); ++i) {
        auto* field = new QLabel(statusFields[i].initialText, this);
        field->setObjectName(statusFields[i].objectName);
        field->setFrameShape(QFrame::StyledPanel);
        statusBar()->addWidget(field);
        statusFields_[i] = field;
    }
    if (simulatedInstrument) {
        auto* simulated = new QLabel("Simulated instrument", this);
        simulated->setObjectName("simulatedInstrumentStatus");
        simulated->setFrameShape(QFrame::StyledPanel);
        simulated->setStyleSheet("QLabel { background: #f2c14e; color: black; font-weight: bold; padding: 0 6px; }");
        statusBar()->addPermanentWidget(simulated);
    }
}

void MainWindow::showDeviceStatus(ShellDevice device, const QString& text) {
    const auto index = static_cast<std::size_t>(device);
    statusFields_[index]->setText(text);
    statusFields_[index]->setMinimumWidth(statusFields_[index]->sizeHint().width());
    // The fields never squeeze over one another: the window widens to hold
    // them all rather than clipping a device's state.
    if (auto* fields = statusBar()->layout()) {
        fields->activate();
        const int needed = fields->minimumSize().width() + statusBar()->contentsMargins().left() +
                           statusBar()->contentsMargins().right();
        if (needed > minimumWidth()) {
            setMinimumWidth(needed);
        }
    }
    reported_[index] = true;
}

QString MainWindow::deviceStatus(ShellDevice device) const {
    return statusFields_[static_cast<std::size_t>(device)]->text();
}

bool MainWindow::everyDeviceReported() const {
    return std::all_of(reported_.begin(), reported_.begin() + launchDeviceCount, [](bool reported) { return reported; });
}

void MainWindow::setWindowClosingOperation(std::function<void()> operation) {
    windowClosingOperation_ = std::move(operation);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (windowClosingOperation_) {
        windowClosingOperation_();
    }
    QMainWindow::closeEvent(event);
}

} // namespace Dotfield
