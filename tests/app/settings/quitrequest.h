// Whether the code under test called QCoreApplication::quit() outside exec().
#ifndef KIVRA_TEST_QUITREQUEST_H
#define KIVRA_TEST_QUITREQUEST_H

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

// quit() outside exec() marks the thread so that the next event loop ends at
// once with -1; read that mark, then clear it through a short exec() so later
// message boxes still wait for their answer.
inline bool takeQuitRequest()
{
    constexpr int kNoQuit = 1;
    QEventLoop probe;
    QTimer::singleShot(0, &probe, [&probe] { probe.exit(kNoQuit); });
    if (probe.exec() != -1) {
        return false;
    }
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    return true;
}

#endif
