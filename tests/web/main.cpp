#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The bridge draws file-type pictures off screen, as it does when run.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
