#pragma once
// One QApplication for every test of this program that needs Qt's painting
// or graphics scene, created on first use.

#include <QApplication>

namespace VeltranePatterns {

inline void ensureQtApplication() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "VeltranePatternsDrawingTests";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
    }
}

} // namespace VeltranePatterns
