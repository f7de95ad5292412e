// The main window on a display scaled to 150 % (144 DPI, set for this run by
// tests/windows/dpi.sh), on Qt's windows platform under wine: drawn at 1.5
// times its designed size in the screen's pixels, by itself, with its form
// laid out as designed.
#include "trovatest.h"

#include "startup.h"
#include "zentowidget.h"

#include <QScreen>
#include <QWindow>

#include <windows.h>

class TestDisplayScaling : public QObject
{
    Q_OBJECT

private slots:
    void windowIsItsDesignedSizeTimesTheScreensFactor();
};

void TestDisplayScaling::windowIsItsDesignedSizeTimesTheScreensFactor()
{
    constexpr qreal kFactor = 1.5;
    const QSize designed(720, 480); // the form's size
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), kFactor);

    ZentoWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), designed);
    QCOMPARE(window.windowHandle()->devicePixelRatio(), kFactor);
    RECT rect{};
    QVERIFY(GetWindowRect(reinterpret_cast<HWND>(window.winId()), &rect));
    QCOMPARE(QSize(rect.right - rect.left, rect.bottom - rect.top), designed * kFactor);
}

// As Trova's own main() does, before the application object exists.
int main(int argc, char *argv[])
{
    startup::configureDisplayScaling();
    qputenv("QT_QPA_PLATFORM", "windows");
    QApplication app(argc, argv);
    TestDisplayScaling test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_displayscaling_win.moc"
