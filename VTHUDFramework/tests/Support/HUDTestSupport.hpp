#pragma once
// What the tests of the heads-up-display controls share: one QApplication,
// images to paint on, the colour a translucent paint leaves over a
// background, and the folder screenshots go to.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>

namespace VTHUDTest {

// The application stays until the process ends: destroying it among the
// exit handlers would tear down Qt's input devices after their registry.
inline void ensureApplication() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "VTHUDFrameworkTests";
        static char* argv[] = {name, nullptr};
        static QApplication* application = new QApplication(argc, argv);
        (void)application;
    }
}

// A fixture whose members may be widgets: the application comes first.
struct WithApplication : ::testing::Test {
    WithApplication() { ensureApplication(); }
};

// The opaque background the paint tests paint over.
inline QColor background() { return QColor(128, 128, 128); }

inline QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(background());
    return image;
}

// `paint` drawn over the opaque `under`.
inline QColor over(const QColor& paint, const QColor& under = background()) {
    const double a = paint.alphaF();
    auto mix = [a](double top, double bottom) { return top * a + bottom * (1 - a); };
    return QColor::fromRgbF(static_cast<float>(mix(paint.redF(), under.redF())),
                            static_cast<float>(mix(paint.greenF(), under.greenF())),
                            static_cast<float>(mix(paint.blueF(), under.blueF())));
}

// The largest difference of the red, green and blue components, 0 to 255.
inline int distance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

inline std::string describe(const QColor& color) {
    return "rgb(" + std::to_string(color.red()) + ", " + std::to_string(color.green()) + ", " +
           std::to_string(color.blue()) + ", alpha " + std::to_string(color.alpha()) + ")";
}

inline int luminance(const QColor& color) { return qGray(color.rgb()); }

#ifdef DOTFIELD_SCREENSHOT_DIR
// The folder the windows' screenshots go to, created on demand.
inline std::filesystem::path screenshotDirectory() {
    const std::filesystem::path folder(DOTFIELD_SCREENSHOT_DIR);
    std::filesystem::create_directories(folder);
    return folder;
}
#endif

} // namespace VTHUDTest
