#include <gtest/gtest.h>

#include <QApplication>

// Window tests need a QApplication, on the offscreen platform unless told otherwise (CTest's test
// listing runs the program without the test environment).
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // No case reaches the session bus of whoever runs the tests, nor has the bus library start one
    // for a display (which also leaks in that library); the cases that need a bus start their own.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
