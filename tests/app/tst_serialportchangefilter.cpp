// Port notices on this platform: the virtual-port directory watch on its own,
// and the filter fed by it as the main window sees it.
#include "trovatest.h"

#include "publishedport.h"
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
    void watcherIgnoresEntriesThatDoNotCount();
    void watcherLeavesAnUntrustedDirectoryAlone();
    void checkPortReportsOnlyPortsThatAreGone();
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
    const std::string path = dir.path().toStdString();
    kivrasim::Simulator old, a, b;
    QVERIFY(old.start("OLD1", path));
    VirtualPortWatcher watcher(dir.path());
    QSignalSpy added(&watcher, &VirtualPortWatcher::portAdded);
    QSignalSpy removed(&watcher, &VirtualPortWatcher::portRemoved);

    QVERIFY(a.start("PORTA", path));
    QVERIFY(b.start("PORTB", path));
    QTRY_COMPARE(added.count(), 2);
    QCOMPARE(added.at(0).at(0).toString(), QStringLiteral("PORTA"));
    QCOMPARE(added.at(1).at(0).toString(), QStringLiteral("PORTB"));

    old.stop();
    QTRY_COMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).toString(), QStringLiteral("OLD1"));
    QCOMPARE(added.count(), 2);
}

void TestSerialPortChangeFilter::watcherIgnoresEntriesThatDoNotCount()
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString();
    VirtualPortWatcher watcher(dir.path());
    QSignalSpy added(&watcher, &VirtualPortWatcher::portAdded);

    kivrasim::Simulator live;
    QVERIFY(live.start("LIVE", path));
    QTRY_COMPARE(added.count(), 1);
    PublishedPort null(path, "NULL", "/dev/null");
    PublishedPort tty(path, "TTY", "/dev/tty");
    PublishedPort dead(path, "DEAD", live.ttyPath(), false);
    PublishedPort hidden(path, ".HIDDEN", live.ttyPath());
    QVERIFY(QFile::link("/nonexistent/x", dir.path() + "/NOWHERE"));
    QVERIFY(null.ok() && tty.ok() && dead.ok() && hidden.ok());

    // The next port that counts is the next notice, and the only one until
    // the last: its notice comes after the watcher has seen all the others.
    kivrasim::Simulator next, last;
    QVERIFY(next.start("NEXT", path));
    QTRY_COMPARE(added.count(), 2);
    QVERIFY(last.start("LAST", path));
    QTRY_VERIFY(added.count() >= 3);
    QStringList names;
    for (const QList<QVariant> &notice : added) {
        names << notice.at(0).toString();
    }
    QCOMPARE(names, QStringList({"LIVE", "NEXT", "LAST"}));
}

void TestSerialPortChangeFilter::watcherLeavesAnUntrustedDirectoryAlone()
{
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadOther |
                                                  QFile::WriteOther | QFile::ExeOther));
    VirtualPortWatcher watcher(dir.path());
    QVERIFY(!watcher.isWatching());
}

void TestSerialPortChangeFilter::checkPortReportsOnlyPortsThatAreGone()
{
    QObject notAWidget;
    SerialPortChangeFilter filter(&notAWidget);
    QSignalSpy removed(&filter, &SerialPortChangeFilter::signal_serialPortRemoved);
    kivrasim::Simulator sim;
    QTest::ignoreMessage(QtDebugMsg, "28 串口连接");
    QVERIFY(sim.start("ALIVE", portDirectory().toStdString()));
    QTest::ignoreMessage(QtDebugMsg, "28 串口连接");
    PublishedPort dying(portDirectory().toStdString(), "DYING", sim.ttyPath());
    QVERIFY(dying.ok());
    QTRY_COMPARE(filter.findChild<VirtualPortWatcher *>()->isListed("DYING"), true);

    filter.checkPort(QStringLiteral("ALIVE")); // a live simulator
    filter.checkPort(QStringLiteral("null"));  // a device node that is there
    QCOMPARE(removed.count(), 0);

    // Its publisher died: lock gone, link still there.
    dying.release();
    QTest::ignoreMessage(QtDebugMsg, "40 串口断开 \"DYING\"");
    filter.checkPort(QStringLiteral("DYING"));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).toString(), QStringLiteral("DYING"));

    QTest::ignoreMessage(QtDebugMsg, "40 串口断开 \"ttyKIVRAGONE\"");
    filter.checkPort(QStringLiteral("ttyKIVRAGONE"));
    QCOMPARE(removed.count(), 2);
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
