#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Run by hand without a display, the tests still get a screen of their own.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
