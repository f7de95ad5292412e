// Shared by the Trova test programs.
#ifndef TROVATEST_H
#define TROVATEST_H

#include <QApplication>
#include <QByteArray>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include "commands.h"
#include "frameoracle.h"

#include <cstdint>
#include <vector>

namespace trovatest {

// Command codes as they travel in request frames: the simulator's table.
namespace code = kivrasim::cmd;

inline QString portDirectory()
{
    return qEnvironmentVariable("KIVRA_PORT_DIR");
}

// How many of the given request frames carried this command code.
inline int countCode(const std::vector<std::vector<uint8_t>> &requests, uint16_t wanted)
{
    int count = 0;
    for (const auto &frame : requests) {
        if (frame.size() >= oracle::kRequestCodeOffset + 2 &&
            oracle::requestCode(frame) == wanted) {
            ++count;
        }
    }
    return count;
}

template <typename T> T *child(const QWidget *parent, const char *name)
{
    return parent->findChild<T *>(QString::fromLatin1(name));
}

inline QString zh(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Refreshes the window's port list, picks the port and presses open.
inline void openThroughWindow(const QWidget *window, const QString &port)
{
    child<QPushButton>(window, "pushButton_refreshDevList")->click();
    auto *combo = child<QComboBox>(window, "comboBox_deviceList");
    combo->setCurrentIndex(combo->findText(port));
    child<QPushButton>(window, "pushButton_openDevice")->click();
}

} // namespace trovatest

// The platform a suite runs on unless QT_QPA_PLATFORM says otherwise; a
// suite that needs native windows builds with another.
#ifndef TROVA_TEST_PLATFORM
#define TROVA_TEST_PLATFORM "offscreen"
#endif

// Every test program gets a port directory of its own, set before Qt or the
// library reads it, so no test sees another's ports or a user's simulator.
// It is not made yet: whoever first uses it makes it private to the user, as
// a folder made by others would not be on every platform.
#define TROVA_TEST_MAIN(TestObject)                                                                \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QTemporaryDir portDir;                                                                     \
        qputenv("KIVRA_PORT_DIR",                                                                  \
                QDir::toNativeSeparators(portDir.path() + "/ports").toLocal8Bit());                \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {                                      \
            qputenv("QT_QPA_PLATFORM", TROVA_TEST_PLATFORM);                                       \
        }                                                                                          \
        QApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

#endif
