#pragma once
// The device windows on the whole simulated instrument: typing into their
// fields, pumping the main thread until something shows, and saving a
// window's grab under screenshots/.

#include <chrono>
#include <functional>
#include <string>

#include <QImage>
#include <QString>

#include "Dotfield/tests/Support/SimulatedDropwrightFixture.hpp"

class QLineEdit;
class QWidget;

namespace Dotfield::testing {

class DeviceWindowFixture : public SimulatedDropwrightFixture {
  protected:
    // Replaces the field's text and ends the edit as Return does.
    static void type(QLineEdit* field, const QString& text);
    // Serves the main thread until the condition holds; false if it never does.
    bool pumpUntil(const std::function<bool()>& condition);
    // The window's grab, saved as screenshots/<name>.png.
    static QImage grabAndSave(QWidget* window, const std::string& name);
    // True when some pixel of the image has the colour.
    static bool containsColour(const QImage& image, const QColor& colour);
};

} // namespace Dotfield::testing
