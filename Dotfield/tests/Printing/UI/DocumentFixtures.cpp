#include "Dotfield/tests/Printing/UI/DocumentFixtures.hpp"

#include <cstdlib>
#include <fstream>

#include <QPixmap>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"

namespace DocumentTests {

namespace {

class PositionerWithTravel final : public Dotfield::Robot {
  public:
    PositionerWithTravel(ConstructionKey key, std::shared_ptr<Dotfield::UserDefaults> settings)
        : Robot(key, std::move(settings)) {}
    Coordinate minimumMotorPosition() const override { return {0.0, 0.0, 0.0}; }
    Coordinate maximumMotorPosition() const override { return {100000.0, 100000.0, 100000.0}; }
};

std::string number(double value) { return std::to_string(value); }

} // namespace

std::filesystem::path testFolder(const std::string& name) {
    const char* output = std::getenv("DOTFIELD_TEST_OUTPUT");
    const std::filesystem::path base = output ? output : std::filesystem::temp_directory_path();
    const auto folder = base / "document" / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::filesystem::path writeFile(const std::filesystem::path& folder, const std::string& name,
                                const std::string& text) {
    const auto file = folder / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

std::string micronPatternXML(const std::string& items) {
    return "<?xml version=\"1.0\"?><pattern><featurewidth>20</featurewidth>" + items + "</pattern>";
}

std::string lineXML(const std::string& layer, double x1, double y1, double x2, double y2) {
    return "<line><solution>" + layer + "</solution><x>" + number(x1) + "</x><y>" + number(y1) + "</y><x2>" +
           number(x2) + "</x2><y2>" + number(y2) + "</y2></line>";
}

std::string pauseXML(const std::string& layer) {
    return "<pause><solution>" + layer + "</solution><duration>1</duration></pause>";
}

std::string twoLayerDXF() {
    return "0\nSECTION\n2\nENTITIES\n"
           "0\nLINE\n8\nTop\n10\n0\n20\n0\n11\n10\n21\n0\n"
           "0\nLINE\n8\nBottom\n10\n0\n20\n5\n11\n10\n21\n5\n"
           "0\nENDSEC\n0\nEOF\n";
}

std::string inchGerber() {
    return "%FSLAX24Y24*%\n%MOIN*%\n%ADD10C,0.01*%\nD10*\nX0Y0D02*\nX10000Y0D01*\nX10000Y5000D01*\nM02*\n";
}

std::shared_ptr<Dotfield::Robot> positionerWithTravel() {
    return Dotfield::Robot::make<PositionerWithTravel>(
        std::make_shared<Dotfield::UserDefaults>(Dotfield::UserDefaults::CustomDictionary{}));
}

QImage grabToPNG(QWidget& widget, const std::string& name) {
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::filesystem::create_directories(DOTFIELD_SCREENSHOT_DIR);
    image.save(QString::fromStdString(std::string(DOTFIELD_SCREENSHOT_DIR) + "/" + name + ".png"));
    return image;
}

int countPixels(const QImage& image, const std::function<bool(QColor)>& matches) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += matches(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool near(QColor colour, int red, int green, int blue, int tolerance) {
    return std::abs(colour.red() - red) <= tolerance && std::abs(colour.green() - green) <= tolerance &&
           std::abs(colour.blue() - blue) <= tolerance;
}

} // namespace DocumentTests
