#include <QApplication>

#include <gtest/gtest.h>

// GoogleTest inside a QApplication, for tests of widgets and windows (offscreen, or on the display the
// test launcher gives them).
int main(int argc, char** argv) {
    const QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
