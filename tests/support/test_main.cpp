// Every test program runs with its own empty data folder and home, so no test sees the books of a
// person or of another test program.
#include "storage/programlocale.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#ifdef VM_TEST_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv) {
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/vellumora-test-XXXXXX"));
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/share")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program settles it, before anything else reads the locale.
    UseRussianLocale();
#ifdef VM_TEST_WIDGETS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
