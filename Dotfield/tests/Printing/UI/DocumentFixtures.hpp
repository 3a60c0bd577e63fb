#pragma once
// Small pattern files and helpers shared by the document tests: a folder of
// files made per test, the pixels of a grabbed widget, and a positioner with
// travel limits and a place to stand.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <QColor>
#include <QImage>
#include <QWidget>

#include "Dotfield/Printing/Document/PatternDocument.hpp"
#include "Dotfield/Robotics/Robot.hpp"

namespace DocumentTests {

// A fresh folder for one test's files.
std::filesystem::path testFolder(const std::string& name);
std::filesystem::path writeFile(const std::filesystem::path& folder, const std::string& name,
                                const std::string& text);

// Pattern XML (always in microns) with the given item elements; each item
// names its solution layer.
std::string micronPatternXML(const std::string& items);
std::string lineXML(const std::string& layer, double x1, double y1, double x2, double y2);
std::string pauseXML(const std::string& layer);

// A DXF drawing with one line on layer "Top" and one on "Bottom", 10 × 5 mm.
std::string twoLayerDXF();
// A Gerber photoplot in inches: two tracks, 1 × 0.5 inches.
std::string inchGerber();

// A positioner whose travel runs from 0 to 100 000 µm on every axis.
std::shared_ptr<Dotfield::Robot> positionerWithTravel();

// Saves the widget's grab under screenshots/ and answers it.
QImage grabToPNG(QWidget& widget, const std::string& name);
int countPixels(const QImage& image, const std::function<bool(QColor)>& matches);
bool near(QColor colour, int red, int green, int blue, int tolerance = 3);

} // namespace DocumentTests
