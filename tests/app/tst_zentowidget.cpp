// The main window against the simulated controller: opening and its labels,
// failed reads, state and mode commands, the monitor, the message line and
// the title-bar drag.
#include "trovatest.h"
#include "windowonsim.h"

#include "KivraLibrary.h"
#include "simulator.h"
#include "zentowidget.h"

#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>

#include <memory>

using namespace trovatest;

namespace {
const char *const kModeButtons[] = {"radioButton_manualMode", "radioButton_singleMode",
                                    "radioButton_autoMode", "radioButton_triggerMode"};
} // namespace

class TestZentoWidget : public QObject, public WindowOnSim
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openShowsParameters_data();
    void openShowsParameters();
    void failedReadKeepsEarlierLabelsAndCloses_data();
    void failedReadKeepsEarlierLabelsAndCloses();
    void reopenClosesFirst();
    void emptyPortNameOpensNothing();
    void commandsReachController_data();
    void commandsReachController();
    void commandsWithoutDeviceReportFailure_data();
    void commandsWithoutDeviceReportFailure();
    void monitorFollowsState_data();
    void monitorFollowsState();
    void monitorFrequency_data();
    void monitorFrequency();
    void messageLine_data();
    void messageLine();
    void titleBarDrag_data();
    void titleBarDrag();
    void releaseEndsDrag();

private:
    QString message() const { return child<QLabel>(window.get(), "label_message")->text(); }
    QString labelText(const char *name) const { return child<QLabel>(window.get(), name)->text(); }
    bool isChecked(const char *name) const
    {
        return child<QAbstractButton>(window.get(), name)->isChecked();
    }
    void open();
    // Plants a state as the controller would report it, then the mode.
    void plantStateAndMode(int state, int mode);
};

void TestZentoWidget::init()
{
    const char *failure = startWindowOnSim();
    QVERIFY2(!failure, failure);
}

void TestZentoWidget::cleanup()
{
    stopWindowOnSim();
}

void TestZentoWidget::open()
{
    openThroughWindow(window.get(), portName());
}

void TestZentoWidget::plantStateAndMode(int state, int mode)
{
    sim->setParameter(code::kSetMode, 1);
    sim->setParameter(code::kSetState, state);
    sim->setParameter(code::kSetMode, mode);
}

void TestZentoWidget::openShowsParameters_data()
{
    QTest::addColumn<int>("valve");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("onTime");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("modeButton");
    QTest::addColumn<bool>("onChecked");
    QTest::addColumn<QString>("onText");

    QTest::newRow("valve 1, manual, open") << 1 << 1 << 1 << 20 << "KD08-40"
                                           << "radioButton_manualMode" << true << zh("打开");
    QTest::newRow("valve 2, single, closed") << 2 << 2 << 2 << 150 << "KD2-40"
                                             << "radioButton_singleMode" << false << zh("打开");
    QTest::newRow("valve 0, automatic") << 0 << 3 << 2 << 100000 << "KD2-40"
                                        << "radioButton_autoMode" << false << zh("运行");
    QTest::newRow("trigger mode, state 0") << 1 << 4 << 0 << 300 << "KD08-40"
                                           << "radioButton_triggerMode" << false << zh("打开");
    QTest::newRow("unknown mode keeps manual") << 1 << 5 << 1 << 300 << "KD08-40"
                                               << "radioButton_manualMode" << true << zh("打开");
}

void TestZentoWidget::openShowsParameters()
{
    QFETCH(int, valve);
    QFETCH(int, mode);
    QFETCH(int, state);
    QFETCH(int, onTime);
    QFETCH(QString, model);
    QFETCH(QString, modeButton);
    QFETCH(bool, onChecked);
    QFETCH(QString, onText);

    sim->setParameter(code::kSetValveType, valve);
    sim->setParameter(code::kSetOnTime, onTime);
    sim->setParameter(code::kSetOffTime, 250);
    sim->setParameter(code::kSetCycleCount, 1000000);
    sim->setText(code::kReadSerial, "SN-0042");
    plantStateAndMode(state, mode);

    open();

    QCOMPARE(message(), zh("打开设备成功"));
    QCOMPARE(labelText("label_onTime"), QStringLiteral("%1 ms").arg(onTime));
    QCOMPARE(labelText("label_offTime"), QStringLiteral("250 ms"));
    QCOMPARE(labelText("label_cycleInfo"), QStringLiteral("1000000"));
    QCOMPARE(labelText("label_valveModel"), model);
    QCOMPARE(labelText("label_serialNumber"), QStringLiteral("SN-0042"));
    QVERIFY(isChecked(modeButton.toLatin1().constData()));
    QCOMPARE(isChecked("pushButton_on"), onChecked);
    QCOMPARE(isChecked("pushButton_off"), !onChecked);
    QCOMPARE(child<QPushButton>(window.get(), "pushButton_on")->text(), onText);
    QVERIFY(child<QLabel>(window.get(), "label_state")->styleSheet().contains("greenPot.png"));
    // Showing what was read writes nothing back.
    QCOMPARE(countCode(sim->requests(), code::kSetMode), 0);
    QCOMPARE(countCode(sim->requests(), code::kSetState), 0);
}

void TestZentoWidget::failedReadKeepsEarlierLabelsAndCloses_data()
{
    QTest::addColumn<bool>("reRead");
    QTest::newRow("open") << false;
    QTest::newRow("re-read after settings") << true;
}

void TestZentoWidget::failedReadKeepsEarlierLabelsAndCloses()
{
    QFETCH(bool, reRead);

    sim->setParameter(code::kSetCycleCount, 7);
    if (reRead) {
        open();
        QCOMPARE(message(), zh("打开设备成功"));
    }
    sim->setParameter(code::kSetOnTime, 400);
    sim->setParameter(code::kSetOffTime, 500);
    sim->setParameter(code::kSetCycleCount, 9);
    kivrasim::Faults faults;
    // The on and off time answer; the cycle count finds the line dead.
    faults.dropAfter = sim->exchangeCount() + 2;
    sim->setFaults(faults);

    if (reRead) {
        window->slot_devParamChaged();
    } else {
        open();
    }

    QCOMPARE(message(), zh("读取设备参数失败"));
    QCOMPARE(labelText("label_onTime"), QStringLiteral("400 ms"));
    QCOMPARE(labelText("label_offTime"), QStringLiteral("500 ms"));
    QCOMPARE(labelText("label_cycleInfo"), reRead ? QStringLiteral("7") : QString());
    QCOMPARE(child<QLabel>(window.get(), "label_state")->styleSheet().contains("greenPot.png"),
             reRead);

    // The device is closed: a command now goes out on no handle and fails.
    child<QPushButton>(window.get(), "pushButton_on")->click();
    QCOMPARE(message(), zh("设置快门开状态失败"));
}

void TestZentoWidget::reopenClosesFirst()
{
    open();
    QCOMPARE(message(), zh("打开设备成功"));
    window->slot_showMsg(QString());
    // Ports open exclusively: the second open works only if the first handle
    // was closed.
    child<QPushButton>(window.get(), "pushButton_openDevice")->click();
    QCOMPARE(message(), zh("打开设备成功"));
    child<QPushButton>(window.get(), "pushButton_off")->click();
    QCOMPARE(sim->parameter(code::kGetState), 2);
}

void TestZentoWidget::emptyPortNameOpensNothing()
{
    // The list is not filled before a refresh or an arrival.
    QCOMPARE(child<QComboBox>(window.get(), "comboBox_deviceList")->count(), 0);
    child<QPushButton>(window.get(), "pushButton_openDevice")->click();
    QCOMPARE(message(), QString());
    QCOMPARE(sim->exchangeCount(), 0);
}

void TestZentoWidget::commandsReachController_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("setCode");
    QTest::addColumn<int>("getCode");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("onText");
    QTest::addColumn<QString>("offText");

    const int state = code::kSetState;
    const int mode = code::kSetMode;
    const int getState = code::kGetState;
    const int getMode = code::kGetMode;
    QTest::newRow("off") << "pushButton_off" << state << getState << 2 << zh("打开") << zh("关闭");
    QTest::newRow("on") << "pushButton_on" << state << getState << 1 << zh("打开") << zh("关闭");
    QTest::newRow("manual") << "radioButton_manualMode" << mode << getMode << 1 << zh("打开")
                            << zh("关闭");
    QTest::newRow("single") << "radioButton_singleMode" << mode << getMode << 2 << zh("打开")
                            << zh("关闭");
    QTest::newRow("automatic") << "radioButton_autoMode" << mode << getMode << 3 << zh("运行")
                               << zh("停止");
    QTest::newRow("trigger") << "radioButton_triggerMode" << mode << getMode << 4 << zh("打开")
                             << zh("关闭");
}

void TestZentoWidget::commandsReachController()
{
    QFETCH(QString, button);
    QFETCH(int, setCode);
    QFETCH(int, getCode);
    QFETCH(int, value);
    QFETCH(QString, onText);
    QFETCH(QString, offText);

    plantStateAndMode(1, 1);
    open();
    window->slot_showMsg(QString());
    child<QAbstractButton>(window.get(), button.toLatin1().constData())->click();

    QCOMPARE(countCode(sim->requests(), uint16_t(setCode)), 1);
    QCOMPARE(sim->parameter(uint16_t(getCode)), value);
    QCOMPARE(message(), QString());
    QCOMPARE(child<QPushButton>(window.get(), "pushButton_on")->text(), onText);
    QCOMPARE(child<QPushButton>(window.get(), "pushButton_off")->text(), offText);
}

void TestZentoWidget::commandsWithoutDeviceReportFailure_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failure");

    QTest::newRow("on") << "pushButton_on" << zh("设置快门开状态失败");
    QTest::newRow("off") << "pushButton_off" << zh("设置快门关状态失败");
    for (const char *mode : kModeButtons) {
        QTest::newRow(mode) << mode << zh("设置快门模式失败");
    }
}

void TestZentoWidget::commandsWithoutDeviceReportFailure()
{
    QFETCH(QString, button);
    QFETCH(QString, failure);

    auto *clicked = child<QAbstractButton>(window.get(), button.toLatin1().constData());
    clicked->click();
    QCOMPARE(message(), failure);
    // The control keeps its new look; nothing is undone.
    QVERIFY(clicked->isChecked());
    QCOMPARE(sim->exchangeCount(), 0);
}

void TestZentoWidget::monitorFollowsState_data()
{
    QTest::addColumn<int>("reported");
    QTest::addColumn<bool>("onChecked");

    QTest::newRow("open") << 1 << true;
    QTest::newRow("closed") << 2 << false;
    QTest::newRow("0 changes nothing") << 0 << true;
    QTest::newRow("3 changes nothing") << 3 << true;
}

void TestZentoWidget::monitorFollowsState()
{
    QFETCH(int, reported);
    QFETCH(bool, onChecked);

    plantStateAndMode(1, 1);
    open();
    QVERIFY(isChecked("pushButton_on"));
    sim->setParameter(code::kSetState, reported);
    window->slot_MonitorTimeout();
    QCOMPARE(isChecked("pushButton_on"), onChecked);
    QCOMPARE(isChecked("pushButton_off"), !onChecked);
}

void TestZentoWidget::monitorFrequency_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("broken");
    QTest::addColumn<QString>("shown");

    // 1000 ms / (300 ms + 500 ms)
    QTest::newRow("running") << true << false << "1.25";
    QTest::newRow("stopped") << false << false << "0";
    QTest::newRow("failed read") << true << true << "0";
}

void TestZentoWidget::monitorFrequency()
{
    QFETCH(bool, running);
    QFETCH(bool, broken);
    QFETCH(QString, shown);

    sim->setParameter(code::kSetOnTime, 300);
    sim->setParameter(code::kSetOffTime, 500);
    sim->setParameter(code::kSetCycleCount, 1000);
    sim->setParameter(code::kSetMode, 3);
    open();
    QCOMPARE(labelText("label_frequency"), QString());
    if (running) {
        child<QPushButton>(window.get(), "pushButton_on")->click();
    }
    if (broken) {
        kivrasim::Faults faults;
        faults.corruptCheck = true;
        sim->setFaults(faults);
    }
    const int before = sim->exchangeCount();
    window->slot_MonitorTimeout();
    QCOMPARE(labelText("label_frequency"), shown);
    QCOMPARE(sim->exchangeCount() - before, 2);
}

void TestZentoWidget::messageLine_data()
{
    QTest::addColumn<QString>("interruption");
    QTest::addColumn<int>("ticksBefore");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("ticksShown");

    // A message is cleared at the seventh tick; a new one starts the count
    // again; an arrival notice is written straight in and does not.
    QTest::newRow("one message") << QString() << 0 << QStringLiteral("first") << 6;
    QTest::newRow("newer message") << "message" << 3 << QStringLiteral("second") << 6;
    QTest::newRow("arrival notice") << "arrival" << 3 << zh("检测到串口设备插入") << 3;
}

void TestZentoWidget::messageLine()
{
    QFETCH(QString, interruption);
    QFETCH(int, ticksBefore);
    QFETCH(QString, shown);
    QFETCH(int, ticksShown);

    window->slot_showMsg(QStringLiteral("first"));
    for (int tick = 0; tick < ticksBefore; ++tick) {
        window->slot_msgTimeout();
    }
    if (interruption == "message") {
        window->slot_showMsg(QStringLiteral("second"));
    } else if (interruption == "arrival") {
        window->slot_serialPortInserted();
    }
    for (int tick = 0; tick < ticksShown; ++tick) {
        window->slot_msgTimeout();
    }
    QCOMPARE(message(), shown);
    window->slot_msgTimeout();
    QCOMPARE(message(), QString());
}

void TestZentoWidget::titleBarDrag_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<bool>("drags");

    QTest::newRow("left on the strip") << int(Qt::LeftButton) << QPoint(400, 20) << true;
    QTest::newRow("right on the strip") << int(Qt::RightButton) << QPoint(400, 20) << true;
    QTest::newRow("on the title text") << int(Qt::LeftButton) << QPoint(150, 25) << true;
    QTest::newRow("strip's top-left edge") << int(Qt::LeftButton) << QPoint(10, 10) << true;
    QTest::newRow("below the strip") << int(Qt::LeftButton) << QPoint(400, 45) << false;
    QTest::newRow("in the margin") << int(Qt::LeftButton) << QPoint(5, 20) << false;
}

void TestZentoWidget::titleBarDrag()
{
    QFETCH(int, button);
    QFETCH(QPoint, press);
    QFETCH(bool, drags);

    QWindow *handle = window->windowHandle();
    const auto mouseButton = Qt::MouseButton(button);
    const QPoint start = window->pos();
    const QPoint step(30, 12);

    QTest::mousePress(handle, mouseButton, Qt::NoModifier, press);
    QTest::mouseMove(handle, press + step);
    QCOMPARE(window->pos(), drags ? start + step : start);
    QTest::mouseRelease(handle, mouseButton, Qt::NoModifier, press + step);
}

void TestZentoWidget::releaseEndsDrag()
{
    QWindow *handle = window->windowHandle();
    const QPoint start = window->pos();
    const QPoint press(400, 20);
    const QPoint step(25, 5);

    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, press);
    QTest::mouseMove(handle, press + step);
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, press);
    QCOMPARE(window->pos(), start + step);
    QTest::mouseMove(handle, press + step + step);
    QCOMPARE(window->pos(), start + step);
}

TROVA_TEST_MAIN(TestZentoWidget)
#include "tst_zentowidget.moc"
