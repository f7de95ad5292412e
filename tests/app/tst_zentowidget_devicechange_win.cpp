// Port notices on Windows, end to end: real WM_DEVICECHANGE messages sent to
// the main window's native window reach the filter the window installed, and
// the window refreshes its list, reports an arrival, and drops an open device
// whose port was removed. Runs on Qt's windows platform, so the windows are
// native ones with handles.
#include "trovatest.h"
#include "windowonsim.h"

#include "serialportchangefilter.h"
#include "settingswidget.h"

#include <QLabel>
#include <QSignalSpy>

#include <windows.h>

#include <dbt.h>

#include <cstddef>
#include <vector>

using namespace trovatest;

namespace {

// A device-change record as the system builds it: a port record carries the
// name after its header, zero-terminated UTF-16.
class Record
{
public:
    Record(DWORD deviceType, const std::wstring &name = std::wstring())
    {
        const size_t nameOffset = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
        bytes.resize(nameOffset + (name.size() + 1) * sizeof(wchar_t));
        auto *header = reinterpret_cast<DEV_BROADCAST_HDR *>(bytes.data());
        header->dbch_size = DWORD(bytes.size());
        header->dbch_devicetype = deviceType;
        auto *port = reinterpret_cast<DEV_BROADCAST_PORT_W *>(bytes.data());
        name.copy(port->dbcp_name, name.size());
        port->dbcp_name[name.size()] = L'\0';
    }
    LPARAM lParam() { return reinterpret_cast<LPARAM>(bytes.data()); }

private:
    std::vector<char> bytes; // allocated with the alignment of any type
};

LRESULT sendChange(QWidget *to, WPARAM event, Record &record)
{
    return SendMessageW(reinterpret_cast<HWND>(to->winId()), WM_DEVICECHANGE, event,
                        record.lParam());
}

} // namespace

class TestZentoWidgetDeviceChange : public QObject, public WindowOnSim
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void portArrivalRefreshesAndTells();
    void removalOfTheOpenPortClosesIt();
    void removalOfAnotherPortKeepsTheDevice();
    void onlyTheMainWindowsCopyCounts();
    void otherRecordsAndEventsDoNothing_data();
    void otherRecordsAndEventsDoNothing();

private:
    QString message() const { return child<QLabel>(window.get(), "label_message")->text(); }
    QComboBox *portList() const { return child<QComboBox>(window.get(), "comboBox_deviceList"); }
    void openDevice();

    // A second filter on the same application sees the same messages: its
    // signals are the ones the window's own filter emits.
    std::unique_ptr<SerialPortChangeFilter> probe;
    std::unique_ptr<QSignalSpy> inserted;
    std::unique_ptr<QSignalSpy> removed;
};

void TestZentoWidgetDeviceChange::init()
{
    const char *failure = startWindowOnSim();
    QVERIFY2(!failure, failure);
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("windows"));
    probe = std::make_unique<SerialPortChangeFilter>(window.get());
    QCoreApplication::instance()->installNativeEventFilter(probe.get());
    inserted = std::make_unique<QSignalSpy>(probe.get(),
                                            &SerialPortChangeFilter::signal_serialPortInserted);
    removed = std::make_unique<QSignalSpy>(probe.get(),
                                           &SerialPortChangeFilter::signal_serialPortRemoved);
}

void TestZentoWidgetDeviceChange::cleanup()
{
    QCoreApplication::instance()->removeNativeEventFilter(probe.get());
    removed.reset();
    inserted.reset();
    probe.reset();
    stopWindowOnSim();
}

void TestZentoWidgetDeviceChange::openDevice()
{
    openThroughWindow(window.get(), portName());
    QCOMPARE(message(), zh("打开设备成功"));
}

void TestZentoWidgetDeviceChange::portArrivalRefreshesAndTells()
{
    QCOMPARE(portList()->count(), 0);
    Record record(DBT_DEVTYP_PORT, L"COM3");
    sendChange(window.get(), DBT_DEVICEARRIVAL, record);

    QCOMPARE(inserted->count(), 1);
    QCOMPARE(removed->count(), 0);
    QCOMPARE(message(), zh("检测到串口设备插入"));
    // The list was read again: the simulator's port is in it.
    QVERIFY(portList()->findText(portName()) >= 0);
}

void TestZentoWidgetDeviceChange::removalOfTheOpenPortClosesIt()
{
    openDevice();
    const int exchanges = sim->exchangeCount();
    Record record(DBT_DEVTYP_PORT, portName().toStdWString());
    sendChange(window.get(), DBT_DEVICEREMOVECOMPLETE, record);

    QCOMPARE(inserted->count(), 0);
    QCOMPARE(removed->count(), 1);
    QCOMPARE(removed->at(0).at(0).toString(), portName());
    QCOMPARE(message(), zh("串口设备被移除"));
    // Closed: the monitor sends nothing, and a command fails without a handle.
    window->slot_MonitorTimeout();
    QCOMPARE(sim->exchangeCount(), exchanges);
    child<QPushButton>(window.get(), "pushButton_on")->click();
    QCOMPARE(message(), zh("设置快门开状态失败"));
    QCOMPARE(sim->exchangeCount(), exchanges);
}

void TestZentoWidgetDeviceChange::removalOfAnotherPortKeepsTheDevice()
{
    openDevice();
    window->slot_showMsg(QString());
    // Five characters: the whole name arrives, not four of them.
    const QString other =
        portName() == QLatin1String("COM10") ? QStringLiteral("COM11") : QStringLiteral("COM10");
    Record record(DBT_DEVTYP_PORT, other.toStdWString());
    sendChange(window.get(), DBT_DEVICEREMOVECOMPLETE, record);

    QCOMPARE(removed->count(), 1);
    QCOMPARE(removed->at(0).at(0).toString(), other);
    QCOMPARE(message(), QString());
    // Still open: the next monitor tick makes its two exchanges.
    const int exchanges = sim->exchangeCount();
    window->slot_MonitorTimeout();
    QCOMPARE(sim->exchangeCount() - exchanges, 2);
}

void TestZentoWidgetDeviceChange::onlyTheMainWindowsCopyCounts()
{
    openDevice();
    // A broadcast reaches every top-level window of the program; the
    // settings dialog's copy must not count a second time, nor alone.
    auto *dialog = window->findChild<SettingsWidget *>();
    QVERIFY(dialog);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QVERIFY(dialog->winId() != window->winId());

    Record removal(DBT_DEVTYP_PORT, portName().toStdWString());
    sendChange(dialog, DBT_DEVICEREMOVECOMPLETE, removal);
    QCOMPARE(removed->count(), 0);
    QCOMPARE(message(), zh("打开设备成功"));

    sendChange(dialog, DBT_DEVICEREMOVECOMPLETE, removal);
    sendChange(window.get(), DBT_DEVICEREMOVECOMPLETE, removal);
    QCOMPARE(removed->count(), 1);
    QCOMPARE(message(), zh("串口设备被移除"));
}

void TestZentoWidgetDeviceChange::otherRecordsAndEventsDoNothing_data()
{
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("deviceType");

    QTest::newRow("volume arrival") << int(DBT_DEVICEARRIVAL) << int(DBT_DEVTYP_VOLUME);
    QTest::newRow("interface arrival") << int(DBT_DEVICEARRIVAL) << int(DBT_DEVTYP_DEVICEINTERFACE);
    QTest::newRow("volume removal") << int(DBT_DEVICEREMOVECOMPLETE) << int(DBT_DEVTYP_VOLUME);
    QTest::newRow("handle removal") << int(DBT_DEVICEREMOVECOMPLETE) << int(DBT_DEVTYP_HANDLE);
    QTest::newRow("port query remove") << int(DBT_DEVICEQUERYREMOVE) << int(DBT_DEVTYP_PORT);
    QTest::newRow("port remove pending") << int(DBT_DEVICEREMOVEPENDING) << int(DBT_DEVTYP_PORT);
    QTest::newRow("configuration changed") << int(DBT_CONFIGCHANGED) << int(DBT_DEVTYP_PORT);
}

void TestZentoWidgetDeviceChange::otherRecordsAndEventsDoNothing()
{
    QFETCH(int, event);
    QFETCH(int, deviceType);

    openDevice();
    Record record(DWORD(deviceType), portName().toStdWString());
    sendChange(window.get(), WPARAM(event), record);

    QCOMPARE(inserted->count(), 0);
    QCOMPARE(removed->count(), 0);
    QCOMPARE(message(), zh("打开设备成功"));
    const int exchanges = sim->exchangeCount();
    window->slot_MonitorTimeout();
    QCOMPARE(sim->exchangeCount() - exchanges, 2);
}

TROVA_TEST_MAIN(TestZentoWidgetDeviceChange)
#include "tst_zentowidget_devicechange_win.moc"
