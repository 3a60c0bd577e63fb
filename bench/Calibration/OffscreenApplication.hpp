#pragma once
// The one QApplication of a window benchmark, on the offscreen platform.

#include <QApplication>

namespace Dotfield::bench {

inline QApplication& offscreenApplication(const char* programName) {
    static int argc = 1;
    static char name[64] = {};
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    (void)offscreen;
    static QApplication* instance = [&] {
        qstrncpy(name, programName, sizeof(name));
        return new QApplication(argc, argv);
    }();
    return *instance;
}

} // namespace Dotfield::bench
