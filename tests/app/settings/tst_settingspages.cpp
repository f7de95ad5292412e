// The run, trigger and light pages of the settings dialog against the
// simulated controller: reads on entry, writes on the set buttons.
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QtTest>

#include "KivraLibrary.h"
#include "settingswidget.h"
#include "simdevice.h"

namespace {

const char kReadFailed[] = "读取设备参数失败";
const char kSetFailed[] = "设置设备参数失败";
const char kSetDone[] = "设置设备参数成功";

// One parameter of a page: the widget, its codes, and a device value with
// what the widget shows for it (spin box value or combo box index).
struct Field
{
    const char *widget;
    int setCode;
    int getCode;
    int deviceValue;
    int shown;
};

struct Page
{
    const char *button;    // left button that shows and loads the page
    const char *setButton; // writes the page
    const char *page;
    QVector<Field> fields; // in the order of the requests
};

// Values differ from the simulator's defaults, so a page that was not read
// or not written shows it.
Page runPage()
{
    return {"pushButton_runSettings",
            "pushButton_setRunSettings",
            "page_run",
            {{"spinBox_onTime", code::kSetOnTime, code::kGetOnTime, 150, 150},
             {"spinBox_offTime", code::kSetOffTime, code::kGetOffTime, 2500, 2500},
             {"spinBox_cycleCount", code::kSetCycleCount, code::kGetCycleCount, 77, 77},
             {"comboBox_valveType", code::kSetValveType, code::kGetValveType, 2, 1},
             {"comboBox_InitialState", code::kSetInitialState, code::kGetInitialState, 1, 0}}};
}

Page triggerPage()
{
    return {"pushButton_triggerSettings",
            "pushButton_setTriggerSettings",
            "page_trigger",
            {{"comboBox_triggerIn", code::kSetTriggerIn, code::kGetTriggerIn, 2, 1},
             {"comboBox_triggerOut", code::kSetTriggerOut, code::kGetTriggerOut, 2, 1},
             {"comboBox_IO1Mode", code::kSetIO1Mode, code::kGetIO1Mode, 2, 1},
             {"comboBox_IO2Mode", code::kSetIO2Mode, code::kGetIO2Mode, 1, 0}}};
}

Page lightPage()
{
    return {"pushButton_lightSettings",
            "pushButton_setLightSettings",
            "page_light",
            {{"spinBox_lightLevel", code::kSetLightLevel, code::kGetLightLevel, 35, 35},
             {"spinBox_idleLightLevel", code::kSetLightIdleLevel, code::kGetLightIdleLevel, 5, 5},
             {"spinBox_lightTimeout", code::kSetLightTimeOut, code::kGetLightTimeOut, 120, 120}}};
}

int shownValue(QWidget *widget)
{
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        return spin->value();
    return qobject_cast<QComboBox *>(widget)->currentIndex();
}

void setShown(QWidget *widget, int value)
{
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        spin->setValue(value);
    else
        qobject_cast<QComboBox *>(widget)->setCurrentIndex(value);
}

// A shown value other than the field's, within the widget's range.
int otherShown(const Field &field)
{
    return QByteArray(field.widget).startsWith("comboBox") ? 1 - field.shown : field.shown + 1;
}

QVector<int> codesOf(const QVector<Field> &fields, bool set)
{
    QVector<int> codes;
    for (const Field &f : fields)
        codes.append(set ? f.setCode : f.getCode);
    return codes;
}

} // namespace

Q_DECLARE_METATYPE(Page)

class TestSettingsPages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadShowsDeviceValues_data() { pages(); }
    void loadShowsDeviceValues();
    void loadStopsAtFirstFailedRead_data();
    void loadStopsAtFirstFailedRead();
    void writeSendsWidgetValues_data() { pages(); }
    void writeSendsWidgetValues();
    void oddDeviceValues_data();
    void oddDeviceValues();
    void failedSetterStillSendsTheRest();
    void runPageReloadsOnEveryEntry();
    void initialStateReadIsTraced();
    void closedDeviceIsNeverAddressed();

private:
    void pages();
    QWidget *child(const char *name) { return dialog->findChild<QWidget *>(name); }
    void click(const char *button) { dialog->findChild<QPushButton *>(button)->click(); }

    SimDevice *device = nullptr;
    SettingsWidget *dialog = nullptr;
    QStringList events; // "msg:<text>" and "changed", in the order emitted
};

void TestSettingsPages::init()
{
    device = new SimDevice;
    QVERIFY2(device->open(), qPrintable(device->error()));
    dialog = new SettingsWidget;
    dialog->setDevHandle(device->handle());
    events.clear();
    connect(dialog, &SettingsWidget::signal_showMsg, this,
            [this](const QString &msg) { events << QStringLiteral("msg:") + msg; });
    connect(dialog, &SettingsWidget::signal_devParamChanged, this,
            [this] { events << QStringLiteral("changed"); });
}

void TestSettingsPages::cleanup()
{
    delete dialog;
    dialog = nullptr;
    delete device;
    device = nullptr;
}

void TestSettingsPages::pages()
{
    QTest::addColumn<Page>("page");
    QTest::newRow("run") << runPage();
    QTest::newRow("trigger") << triggerPage();
    QTest::newRow("light") << lightPage();
}

void TestSettingsPages::loadShowsDeviceValues()
{
    QFETCH(Page, page);
    for (const Field &f : page.fields)
        device->sim().setParameter(f.setCode, f.deviceValue);
    device->clearRequests();

    click(page.button);

    QCOMPARE(dialog->findChild<QStackedWidget *>("stackedWidget_settings")->currentWidget(),
             child(page.page));
    for (const Field &f : page.fields)
        QVERIFY2(shownValue(child(f.widget)) == f.shown, f.widget);
    QCOMPARE(device->requestCodes(), codesOf(page.fields, false));
    QVERIFY(events.isEmpty());
}

void TestSettingsPages::loadStopsAtFirstFailedRead_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("goodReads");
    QTest::newRow("run, second read") << runPage() << 1;
    QTest::newRow("trigger, first read") << triggerPage() << 0;
    QTest::newRow("light, last read") << lightPage() << 2;
}

void TestSettingsPages::loadStopsAtFirstFailedRead()
{
    QFETCH(Page, page);
    QFETCH(int, goodReads);
    for (const Field &f : page.fields) {
        device->sim().setParameter(f.setCode, f.deviceValue);
        setShown(child(f.widget), otherShown(f));
    }
    device->clearRequests();
    device->dropAfter(goodReads);

    click(page.button);

    for (int i = 0; i < page.fields.size(); ++i) {
        const Field &f = page.fields.at(i);
        QVERIFY2(shownValue(child(f.widget)) == (i < goodReads ? f.shown : otherShown(f)),
                 f.widget);
    }
    QCOMPARE(device->requestCodes(), codesOf(page.fields, false).mid(0, goodReads));
    QCOMPARE(events, QStringList{QStringLiteral("msg:") + kReadFailed});
}

void TestSettingsPages::writeSendsWidgetValues()
{
    QFETCH(Page, page);
    for (const Field &f : page.fields)
        setShown(child(f.widget), f.shown);
    device->clearRequests();

    click(page.setButton);

    for (const Field &f : page.fields)
        QVERIFY2(device->sim().parameter(f.getCode) == f.deviceValue, f.widget);
    QCOMPARE(device->requestCodes(), codesOf(page.fields, true));
    QCOMPARE(events, (QStringList{QStringLiteral("msg:") + kSetDone, QStringLiteral("changed")}));
}

void TestSettingsPages::oddDeviceValues_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("deviceValue");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("written");
    QTest::newRow("open time below range") << runPage() << 0 << 5 << 20 << 20;
    QTest::newRow("close time above range") << runPage() << 1 << 200000 << 100000 << 100000;
    QTest::newRow("cycle count 0") << runPage() << 2 << 0 << 1 << 1;
    QTest::newRow("valve type 3") << runPage() << 3 << 3 << -1 << 0;
    QTest::newRow("initial state 0") << runPage() << 4 << 0 << -1 << 0;
    QTest::newRow("IO2 mode 7") << triggerPage() << 3 << 7 << -1 << 0;
    QTest::newRow("sleep time above range") << lightPage() << 2 << 1000 << 480 << 480;
    QTest::newRow("brightness at top") << lightPage() << 0 << 100 << 100 << 100;
}

void TestSettingsPages::oddDeviceValues()
{
    QFETCH(Page, page);
    QFETCH(int, field);
    QFETCH(int, deviceValue);
    QFETCH(int, shown);
    QFETCH(int, written);
    const Field &f = page.fields.at(field);
    device->sim().setParameter(f.setCode, deviceValue);

    click(page.button);
    QCOMPARE(shownValue(child(f.widget)), shown);

    device->clearRequests();
    click(page.setButton);
    const QVector<SimDevice::Request> sent = device->requests();
    QCOMPARE(sent.size(), page.fields.size());
    QCOMPARE(sent.at(field).code, f.setCode);
    QCOMPARE(sent.at(field).value, written);
}

void TestSettingsPages::failedSetterStillSendsTheRest()
{
    const Page page = runPage();
    for (const Field &f : page.fields)
        device->sim().setParameter(f.setCode, f.deviceValue);
    // The controller refuses valve type 0, which the box sends with no item.
    device->sim().setParameter(code::kSetValveType, 3);
    click(page.button);
    device->sim().setParameter(code::kSetInitialState, 2);
    device->clearRequests();
    events.clear();

    click(page.setButton);

    QCOMPARE(device->requestCodes(), codesOf(page.fields, true));
    QCOMPARE(device->sim().parameter(code::kGetInitialState), 1);
    QCOMPARE(events, QStringList{QStringLiteral("msg:") + kSetFailed});
}

void TestSettingsPages::runPageReloadsOnEveryEntry()
{
    const QVector<int> runReads = codesOf(runPage().fields, false);
    device->clearRequests();

    dialog->showRunSettings();
    click("pushButton_lightSettings");
    device->sim().setParameter(code::kSetOnTime, 444);
    dialog->showRunSettings();
    QVERIFY(dialog->findChild<QPushButton *>("pushButton_runSettings")->isChecked());
    QVERIFY(!dialog->findChild<QPushButton *>("pushButton_lightSettings")->isChecked());
    QCOMPARE(shownValue(child("spinBox_onTime")), 444);
    click("pushButton_runSettings");

    const QVector<int> lightReads = codesOf(lightPage().fields, false);
    QCOMPARE(device->requestCodes(), runReads + lightReads + runReads + runReads);
}

void TestSettingsPages::initialStateReadIsTraced()
{
    device->sim().setParameter(code::kSetInitialState, 2);
    QTest::ignoreMessage(QtDebugMsg, "245 2");
    dialog->showRunSettings();
}

void TestSettingsPages::closedDeviceIsNeverAddressed()
{
    // The main window hands over 0 once it has closed the device. A device
    // opened afterwards may be given the old handle's number again; it must
    // hear nothing from the dialog until its own handle is handed over.
    device->close();
    dialog->setDevHandle(0);
    SimDevice later;
    QVERIFY2(later.open(), qPrintable(later.error()));
    later.clearRequests();

    for (const Page &page : {runPage(), triggerPage(), lightPage()}) {
        click(page.button);
        click(page.setButton);
    }
    click("pushButton_about");

    QVERIFY(later.requests().isEmpty());
    const QString readFailed = QStringLiteral("msg:") + kReadFailed;
    const QString setFailed = QStringLiteral("msg:") + kSetFailed;
    QCOMPARE(events,
             (QStringList{readFailed, setFailed, readFailed, setFailed, readFailed, setFailed}));
}

QTEST_MAIN(TestSettingsPages)
#include "tst_settingspages.moc"
