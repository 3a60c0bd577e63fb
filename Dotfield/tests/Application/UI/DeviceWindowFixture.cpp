#include "Dotfield/tests/Application/UI/DeviceWindowFixture.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

#include <filesystem>
#include <thread>

#include <QApplication>
#include <QColor>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QWidget>

namespace Dotfield::testing {

void DeviceWindowFixture::type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

bool DeviceWindowFixture::pumpUntil(const std::function<bool()>& condition) {
    return Dotfield::Testing::eventually(condition, [this] {
        mainThread.pump().runPending();
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
}

QImage DeviceWindowFixture::grabAndSave(QWidget* window, const std::string& name) {
    QApplication::processEvents();
    const QImage image = window->grab().toImage();
    std::filesystem::create_directories(DOTFIELD_SCREENSHOT_DIR);
    const auto path = std::filesystem::path(DOTFIELD_SCREENSHOT_DIR) / (name + ".png");
    EXPECT_TRUE(image.save(QString::fromStdString(path.string()))) << path;
    return image;
}

bool DeviceWindowFixture::containsColour(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

} // namespace Dotfield::testing
