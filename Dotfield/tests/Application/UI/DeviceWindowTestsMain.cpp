// The window tests run inside one QApplication that lives on main's stack, so
// Qt is torn down before the process's exit handlers run.

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
