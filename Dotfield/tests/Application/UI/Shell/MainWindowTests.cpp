// The main window through its real widgets, offscreen, grabbed to a PNG.

#include <filesystem>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

#include "Dotfield/Application/UI/Shell/MainWindow.hpp"

using namespace Dotfield;

namespace {

bool containsColour(const QImage& image, QColor colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

TEST(MainWindowTests, ShowsEachDevicesStatusAndTheSimulatedInstrument) {
    MainWindow window(true);
    window.show();
    EXPECT_FALSE(window.everyDeviceReported());
    window.showDeviceStatus(ShellDevice::electronics, "Electronics: connected (2016 redesign)");
    window.showDeviceStatus(ShellDevice::positioner, "Positioner: the DropwrightIIb is not built yet");
    window.showDeviceStatus(ShellDevice::relay, "Relay: connected");
    window.showDeviceStatus(ShellDevice::humiditySensor, "Humidity sensor: not connected");
    EXPECT_TRUE(window.everyDeviceReported());
    QApplication::processEvents();

    const auto* positioner = window.findChild<QLabel*>("positionerStatus");
    ASSERT_NE(positioner, nullptr);
    EXPECT_EQ(positioner->text(), "Positioner: the DropwrightIIb is not built yet");
    EXPECT_GE(positioner->width(), positioner->sizeHint().width()) << "the whole line is visible";
    const auto* simulated = window.findChild<QLabel*>("simulatedInstrumentStatus");
    ASSERT_NE(simulated, nullptr);
    EXPECT_TRUE(simulated->isVisible());

    const QImage image = window.grab().toImage();
    std::filesystem::create_directories(DOTFIELD_SCREENSHOT_DIR);
    EXPECT_TRUE(image.save(QString(DOTFIELD_SCREENSHOT_DIR) + "/main-window.png"));
    EXPECT_TRUE(containsColour(image, QColor("#f2c14e"))) << "the simulated instrument field shows";
}

TEST(MainWindowTests, ARealInstrumentHasNoSimulatedInstrumentField) {
    MainWindow window(false);
    EXPECT_EQ(window.findChild<QLabel*>("simulatedInstrumentStatus"), nullptr);
    EXPECT_EQ(window.deviceStatus(ShellDevice::relay), "Relay: connecting");
}

// Long device states widen the window instead of drawing one field over the next.
TEST(MainWindowTests, LongStatesNeverOverlapTheirNeighbours) {
    MainWindow window(true);
    window.resize(600, 300);
    window.show();
    window.showDeviceStatus(ShellDevice::electronics, "Electronics: connected (2016 redesign)");
    window.showDeviceStatus(ShellDevice::positioner, "Positioner: DropwrightIIb connecting");
    window.showDeviceStatus(ShellDevice::relay, "Relay: connected");
    window.showDeviceStatus(ShellDevice::humiditySensor, "Humidity sensor: connected");
    window.showDeviceStatus(ShellDevice::dispenser, "Dispenser: connected (not calibrated)");
    QApplication::processEvents();

    const char* order[] = {"electronicsStatus", "positionerStatus", "relayStatus", "humiditySensorStatus",
                           "dispenserStatus", "simulatedInstrumentStatus"};
    int previousRight = -1;
    for (const char* name : order) {
        const auto* field = window.findChild<QLabel*>(name);
        ASSERT_NE(field, nullptr) << name;
        EXPECT_GE(field->width(), field->sizeHint().width()) << name << " is clipped";
        EXPECT_GT(field->geometry().left(), previousRight) << name << " overlaps the field before it";
        previousRight = field->geometry().right();
    }
}
