// The main window and ports that come and go: removal of the open port and of
// another one, arrivals, the refreshed list, and the handle the debug panel
// is left with once the device is closed.
#include "trovatest.h"
#include "windowonsim.h"

#include "KivraLibrary.h"
#include "devdebugwidget.h"
#include "publishedport.h"
#include "simulator.h"
#include "zentowidget.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>

#include <memory>

using namespace trovatest;

namespace {
constexpr int kPortListBytes = 1024;

QStringList libraryPorts()
{
    QByteArray buffer(kPortListBytes, '\0');
    if (listPorts(buffer.data(), buffer.size()) < 0) {
        return {};
    }
    return QString::fromLocal8Bit(buffer.constData()).split(',', Qt::SkipEmptyParts);
}
} // namespace

class TestZentoWidgetHotplug : public QObject, public WindowOnSim
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void removalOfOpenPortClosesDevice();
    void closedDeviceWithdrawsDialogHandles();
    void removalOfAnotherPortOnlyRefreshes();
    void arrivalRefreshesList();
    void refreshWhileOpenKeepsDevice();
    void duplicateNamesShownOnce();
    void killedSimulatorIsARemoval();
    void silentControllerIsNoRemoval();

private:
    // The shutter starts closed, so only opening it proves the window still
    // holds the device.
    void verifyStillOpen()
    {
        sim->clearRequests();
        child<QPushButton>(window.get(), "pushButton_on")->click();
        QCOMPARE(countCode(sim->requests(), code::kSetState), 1);
        QCOMPARE(sim->parameter(code::kGetState), 1);
    }
    QString message() const { return child<QLabel>(window.get(), "label_message")->text(); }
    QComboBox *portList() const { return child<QComboBox>(window.get(), "comboBox_deviceList"); }
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < portList()->count(); ++i) {
            names << portList()->itemText(i);
        }
        return names;
    }
};

void TestZentoWidgetHotplug::init()
{
    const char *failure = startWindowOnSim();
    QVERIFY2(!failure, failure);
}

void TestZentoWidgetHotplug::cleanup()
{
    stopWindowOnSim();
}

void TestZentoWidgetHotplug::removalOfOpenPortClosesDevice()
{
    sim->setParameter(code::kSetOnTime, 123);
    openThroughWindow(window.get(), QStringLiteral("SIM1"));
    QCOMPARE(message(), zh("打开设备成功"));

    sim->stop();
    QTRY_COMPARE(message(), zh("串口设备被移除"));
    QVERIFY(!listed().contains(QStringLiteral("SIM1")));
    // What was read stays on show, and so does the indicator.
    QCOMPARE(child<QLabel>(window.get(), "label_onTime")->text(), QStringLiteral("123 ms"));
    QVERIFY(child<QLabel>(window.get(), "label_state")->styleSheet().contains("greenPot.png"));

    child<QPushButton>(window.get(), "pushButton_off")->click();
    QCOMPARE(message(), zh("设置快门关状态失败"));
}

void TestZentoWidgetHotplug::closedDeviceWithdrawsDialogHandles()
{
    kivrasim::Simulator other;
    QVERIFY(other.start("SIM2", portDirectory().toStdString()));
    QTRY_VERIFY(listed().contains(QStringLiteral("SIM2")));
    openThroughWindow(window.get(), QStringLiteral("SIM1"));
    QCOMPARE(message(), zh("打开设备成功"));

    kivrasim::Faults faults;
    faults.corruptCheck = true;
    sim->setFaults(faults);
    window->slot_devParamChaged();
    QCOMPARE(message(), zh("读取设备参数失败"));

    // Someone else opens a port now. Handles are reused, so a stale copy in
    // the panel would name this new port.
    const int foreign = openSerial("SIM2");
    QVERIFY(foreign > 0);

    auto *panel = window->findChild<DevDebugWidget *>();
    QVERIFY(panel);
    child<QLineEdit>(panel, "lineEdit_PWMduty")->setText(QStringLiteral("40"));
    child<QPushButton>(panel, "pushButton_writePwmDuty")->click();

    QCOMPARE(child<QLabel>(panel, "label_msg")->text(), zh("设置失败"));
    QCOMPARE(countCode(other.requests(), code::kPwmDuty), 0);

    // The settings dialog reads its run page on every showing: none of it
    // may reach the foreign port either.
    child<QPushButton>(window.get(), "pushButton_settings")->click();
    QCOMPARE(message(), zh("读取设备参数失败"));
    QVERIFY(other.requests().empty());
    closeSerial(foreign);
}

void TestZentoWidgetHotplug::removalOfAnotherPortOnlyRefreshes()
{
    kivrasim::Simulator other;
    QVERIFY(other.start("SIM2", portDirectory().toStdString()));
    QTRY_VERIFY(listed().contains(QStringLiteral("SIM2")));
    openThroughWindow(window.get(), QStringLiteral("SIM1"));

    other.stop();
    QTRY_VERIFY(!listed().contains(QStringLiteral("SIM2")));
    QCOMPARE(message(), zh("打开设备成功"));
    verifyStillOpen();
}

void TestZentoWidgetHotplug::arrivalRefreshesList()
{
    QCOMPARE(portList()->count(), 0);
    kivrasim::Simulator other;
    QVERIFY(other.start("SIM2", portDirectory().toStdString()));

    QTRY_VERIFY(listed().contains(QStringLiteral("SIM2")));
    QCOMPARE(message(), zh("检测到串口设备插入"));
    QCOMPARE(listed(), libraryPorts());
    QCOMPARE(portList()->currentIndex(), 0);
}

void TestZentoWidgetHotplug::refreshWhileOpenKeepsDevice()
{
    openThroughWindow(window.get(), QStringLiteral("SIM1"));
    QCOMPARE(message(), zh("打开设备成功"));
    child<QPushButton>(window.get(), "pushButton_refreshDevList")->click();

    QCOMPARE(portList()->currentIndex(), 0);
    verifyStillOpen();
}

void TestZentoWidgetHotplug::duplicateNamesShownOnce()
{
    // A link named like a system port makes the library list that name twice.
    const QStringList before = libraryPorts();
    QString systemPort;
    for (const QString &name : before) {
        if (!QFile::exists(portDirectory() + '/' + name)) {
            systemPort = name;
            break;
        }
    }
    if (systemPort.isEmpty()) {
        QSKIP("This machine has no serial port of its own to shadow");
    }
    PublishedPort shadow(portDirectory().toStdString(), systemPort.toStdString(), sim->ttyPath());
    QVERIFY(shadow.ok());
    QCOMPARE(libraryPorts().count(systemPort), 2);

    child<QPushButton>(window.get(), "pushButton_refreshDevList")->click();
    QCOMPARE(listed().count(systemPort), 1);
    QCOMPARE(listed().size(), libraryPorts().size() - 1);
}

void TestZentoWidgetHotplug::killedSimulatorIsARemoval()
{
    // SIGKILL leaves the link behind, so the directory watch sees nothing;
    // the failing monitor has to find out.
    QProcess doomed;
    doomed.setProcessChannelMode(QProcess::MergedChannels);
    doomed.start(QStringLiteral(KIVRA_SIM_PROGRAM),
                 {QStringLiteral("--name"), QStringLiteral("KILLED"), QStringLiteral("--port-dir"),
                  portDirectory()});
    QVERIFY(doomed.waitForStarted());
    QByteArray said;
    QTRY_VERIFY((said += doomed.readAll()).contains("port KILLED"));
    openThroughWindow(window.get(), QStringLiteral("KILLED"));
    QCOMPARE(message(), zh("打开设备成功"));

    doomed.kill();
    QVERIFY(doomed.waitForFinished());
    QVERIFY2(QFileInfo(portDirectory() + "/KILLED").isSymLink(), "the link should have stayed");
    QTRY_COMPARE(message(), zh("串口设备被移除"));
    QVERIFY(!listed().contains(QStringLiteral("KILLED")));
    child<QPushButton>(window.get(), "pushButton_off")->click();
    QCOMPARE(message(), zh("设置快门关状态失败"));
}

void TestZentoWidgetHotplug::silentControllerIsNoRemoval()
{
    openThroughWindow(window.get(), QStringLiteral("SIM1"));
    QCOMPARE(message(), zh("打开设备成功"));
    kivrasim::Faults faults = sim->faults();
    faults.silent = true;
    sim->setFaults(faults);
    sim->clearRequests();
    // Three monitor ticks, each with failed calls, unless the window took the
    // port for gone first. The monitor calls on this thread, so a tick the
    // controller has seen is over when this looks. (The message line may
    // have been cleared by then, as it is after a few seconds.)
    const QString removed = zh("串口设备被移除");
    QTRY_VERIFY_WITH_TIMEOUT(
        countCode(sim->requests(), code::kGetState) >= 3 || message() == removed, 60000);
    QVERIFY2(message() != removed, qPrintable(message()));
    faults.silent = false;
    sim->setFaults(faults);
    sim->clearRequests();
    child<QPushButton>(window.get(), "pushButton_off")->click();
    QCOMPARE(countCode(sim->requests(), code::kSetState), 1); // the device is still open
    QCOMPARE(sim->parameter(code::kGetState), 2);
}

TROVA_TEST_MAIN(TestZentoWidgetHotplug)
#include "tst_zentowidget_hotplug.moc"
