#include <QCoreApplication>

#include <gtest/gtest.h>

// GoogleTest inside a QCoreApplication, so that tests can run event loops, timers and coroutines.
int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
