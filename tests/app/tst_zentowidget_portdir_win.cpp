// The main window under wine beside kivra-sim.exe, the simulated controller
// built for Windows, published in the port directory's folder: the window
// sees it arrive, opens it and shows its values, and drops the device when
// the simulator ends, killed outright.
#include "trovatest.h"

#include "KivraLibrary.h"
#include "winsim_win.h"
#include "zentowidget.h"

#include <QLabel>

using namespace trovatest;

class TestZentoWidgetPortDir : public QObject
{
    Q_OBJECT

private slots:
    void simulatorArrivesIsOpenedAndGoes();
};

void TestZentoWidgetPortDir::simulatorArrivesIsOpenedAndGoes()
{
    ZentoWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *list = child<QComboBox>(&window, "comboBox_deviceList");
    auto *message = child<QLabel>(&window, "label_message");

    WinSim sim;
    QVERIFY2(sim.start({}), sim.line().c_str());
    QTRY_VERIFY(list->findText(QStringLiteral("SIM1")) >= 0);
    QCOMPARE(message->text(), zh("检测到串口设备插入"));

    // A value the window must show, planted through the library.
    const int handle = openSerial("SIM1");
    QVERIFY(handle > 0);
    QCOMPARE(setShutterOnTime(handle, 123), 0);
    QCOMPARE(closeSerial(handle), 0);
    openThroughWindow(&window, QStringLiteral("SIM1"));
    QCOMPARE(message->text(), zh("打开设备成功"));
    QCOMPARE(child<QLabel>(&window, "label_onTime")->text(), QStringLiteral("123 ms"));

    QVERIFY(sim.kill());
    QTRY_COMPARE(message->text(), zh("串口设备被移除"));
    QCOMPARE(list->findText(QStringLiteral("SIM1")), -1);
    child<QPushButton>(&window, "pushButton_off")->click();
    QCOMPARE(message->text(), zh("设置快门关状态失败"));
}

TROVA_TEST_MAIN(TestZentoWidgetPortDir)
#include "tst_zentowidget_portdir_win.moc"
