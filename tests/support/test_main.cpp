#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("TESSARIN_SOURCE_DIR", TESSARIN_SOURCE_DIR_DEFAULT, 0);
    setenv("TESSARIN_BINARY", TESSARIN_BINARY_DEFAULT, 0);
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
