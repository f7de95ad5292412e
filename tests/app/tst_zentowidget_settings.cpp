// The main window and its settings dialog together: the settings button,
// messages sent from the dialog, and the re-read after a successful write.
#include "trovatest.h"
#include "windowonsim.h"

#include "settingswidget.h"
#include "simulator.h"
#include "zentowidget.h"

#include <QLabel>
#include <QSpinBox>

#include <memory>

using namespace trovatest;

namespace {
constexpr uint16_t kGetOnTime = 0x0E;
constexpr uint16_t kGetInitialState = 0x19;
} // namespace

class TestZentoWidgetSettings : public QObject, public WindowOnSim
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void settingsButtonShowsLoadedRunPage();
    void successfulWriteUpdatesMainWindow();
    void failedWriteOnlyReports();

private:
    QString message() const { return child<QLabel>(window.get(), "label_message")->text(); }
    SettingsWidget *dialog() const { return window->findChild<SettingsWidget *>(); }
    void openSettings()
    {
        child<QPushButton>(window.get(), "pushButton_settings")->click();
        QVERIFY(dialog()->isVisible());
    }
};

void TestZentoWidgetSettings::init()
{
    const char *failure = startWindowOnSim();
    QVERIFY2(!failure, failure);
    openThroughWindow(window.get(), portName());
    QCOMPARE(message(), zh("打开设备成功"));
}

void TestZentoWidgetSettings::cleanup()
{
    stopWindowOnSim();
}

void TestZentoWidgetSettings::settingsButtonShowsLoadedRunPage()
{
    sim->setParameter(code::kSetOnTime, 345);
    sim->clearRequests();
    openSettings();

    QVERIFY(dialog()->isWindow());
    QCOMPARE(dialog()->windowModality(), Qt::ApplicationModal);
    QCOMPARE(child<QSpinBox>(dialog(), "spinBox_onTime")->value(), 345);
    QCOMPARE(countCode(sim->requests(), kGetOnTime), 1);
    QCOMPARE(countCode(sim->requests(), kGetInitialState), 1);

    // Every showing reads the run page again, whatever page was left open.
    child<QPushButton>(dialog(), "pushButton_lightSettings")->click();
    child<QPushButton>(dialog(), "pushButton_close")->click();
    QVERIFY(!dialog()->isVisible());
    openSettings();
    QCOMPARE(countCode(sim->requests(), kGetOnTime), 2);
}

void TestZentoWidgetSettings::successfulWriteUpdatesMainWindow()
{
    openSettings();
    child<QSpinBox>(dialog(), "spinBox_onTime")->setValue(250);
    child<QSpinBox>(dialog(), "spinBox_cycleCount")->setValue(42);
    child<QPushButton>(dialog(), "pushButton_setRunSettings")->click();

    QCOMPARE(message(), zh("设置设备参数成功"));
    QCOMPARE(sim->parameter(kGetOnTime), 250);
    QCOMPARE(child<QLabel>(window.get(), "label_onTime")->text(), QStringLiteral("250 ms"));
    QCOMPARE(child<QLabel>(window.get(), "label_cycleInfo")->text(), QStringLiteral("42"));
}

void TestZentoWidgetSettings::failedWriteOnlyReports()
{
    openSettings();
    const QString shownOnTime = child<QLabel>(window.get(), "label_onTime")->text();
    kivrasim::Faults faults;
    faults.corruptStatus = true;
    sim->setFaults(faults);
    child<QSpinBox>(dialog(), "spinBox_onTime")->setValue(777);
    child<QPushButton>(dialog(), "pushButton_setRunSettings")->click();

    QCOMPARE(message(), zh("设置设备参数失败"));
    // No re-read: the window neither closes the device nor changes its labels.
    QCOMPARE(child<QLabel>(window.get(), "label_onTime")->text(), shownOnTime);
    sim->setFaults(kivrasim::Faults());
    sim->setParameter(code::kSetState, 1);
    child<QPushButton>(window.get(), "pushButton_off")->click();
    QCOMPARE(message(), zh("设置设备参数失败"));
    QCOMPARE(sim->parameter(code::kGetState), 2);
}

TROVA_TEST_MAIN(TestZentoWidgetSettings)
#include "tst_zentowidget_settings.moc"
