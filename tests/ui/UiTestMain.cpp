#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Test discovery runs the binary without the ctest environment: windows never need a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QApplication app(argc, argv);
    // Whatever reaches for the default working installation, here or in a child process, finds a
    // temporary one: tests never touch the user's own.
    const QTemporaryDir home;
    qputenv("KELVO_HOME", QFile::encodeName(home.path() + QStringLiteral("/kelvo-home")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
