// The camera window tests run inside one QApplication that lives on main's stack.

#include <filesystem>

#include <QApplication>
#include <QPixmap>

#include <gtest/gtest.h>

#include "Dotfield/tests/Camera/UI/CameraWindowFixture.hpp"

namespace DotfieldCameraTests {

QImage grabToPNG(QWidget& widget, const std::string& name) {
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::filesystem::create_directories(DOTFIELD_SCREENSHOT_DIR);
    image.save(QString::fromStdString(std::string(DOTFIELD_SCREENSHOT_DIR) + "/" + name + ".png"));
    return image;
}

} // namespace DotfieldCameraTests

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
