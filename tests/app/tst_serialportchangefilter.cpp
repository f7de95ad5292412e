// Port notices on this platform: the virtual-port directory watch on its own,
// and the filter fed by it as the main window sees it.
#include "trovatest.h"

#include "serialportchangefilter.h"
#include "simulator.h"
#include "virtualportwatcher.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

using namespace trovatest;

class TestSerialPortChangeFilter : public QObject
{
    Q_OBJECT

private slots:
    void watcherCreatesMissingDirectory();
    void watcherReportsEntriesByName();
    void watcherIgnoresHiddenEntries();
    void filterSignalsSimulatorComingAndGoing();
};

void TestSerialPortChangeFilter::watcherCreatesMissingDirectory()
{
    QTemporaryDir base;
    const QString dir = base.path() + "/not/yet/there";
    VirtualPortWatcher watcher(dir);
    QVERIFY(QDir(dir).exists());
    QVERIFY(watcher.isWatching());
}

void TestSerialPortChangeFilter::watcherReportsEntriesByName()
{
    QTemporaryDir dir;
    QVERIFY(QFile::link("/nonexistent/old", dir.path() + "/OLD1"));
    VirtualPortWatcher watcher(dir.path());
    QSignalSpy added(&watcher, &VirtualPortWatcher::portAdded);
    QSignalSpy removed(&watcher, &VirtualPortWatcher::portRemoved);

    // Links to nothing count too: a port may be published before its target.
    QVERIFY(QFile::link("/nonexistent/a", dir.path() + "/PORTA"));
    QVERIFY(QFile::link("/nonexistent/b", dir.path() + "/PORTB"));
    QTRY_COMPARE(added.count(), 2);
    QCOMPARE(added.at(0).at(0).toString(), QStringLiteral("PORTA"));
    QCOMPARE(added.at(1).at(0).toString(), QStringLiteral("PORTB"));

    QVERIFY(QFile::remove(dir.path() + "/OLD1"));
    QTRY_COMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).toString(), QStringLiteral("OLD1"));
    QCOMPARE(added.count(), 2);
}

void TestSerialPortChangeFilter::watcherIgnoresHiddenEntries()
{
    QTemporaryDir dir;
    VirtualPortWatcher watcher(dir.path());
    QSignalSpy added(&watcher, &VirtualPortWatcher::portAdded);

    QVERIFY(QFile::link("/nonexistent/x", dir.path() + "/.SIM1.tmp"));
    QVERIFY(QFile::rename(dir.path() + "/.SIM1.tmp", dir.path() + "/SIM1"));
    QTRY_COMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(0).toString(), QStringLiteral("SIM1"));
}

void TestSerialPortChangeFilter::filterSignalsSimulatorComingAndGoing()
{
    QObject notAWidget;
    SerialPortChangeFilter filter(&notAWidget);
    QSignalSpy inserted(&filter, &SerialPortChangeFilter::signal_serialPortInserted);
    QSignalSpy removed(&filter, &SerialPortChangeFilter::signal_serialPortRemoved);

    kivrasim::Simulator sim;
    QTest::ignoreMessage(QtDebugMsg, "28 串口连接");
    QVERIFY(sim.start("SIM7", portDirectory().toStdString()));
    QTRY_COMPARE(inserted.count(), 1);

    QTest::ignoreMessage(QtDebugMsg, "40 串口断开 \"SIM7\"");
    sim.stop();
    QTRY_COMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).toString(), QStringLiteral("SIM7"));
    QCOMPARE(inserted.count(), 1);
}

TROVA_TEST_MAIN(TestSerialPortChangeFilter)
#include "tst_serialportchangefilter.moc"
