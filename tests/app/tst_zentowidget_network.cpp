// The main window and a controller on another machine: a URL entry in the
// port directory, served by a real ser2net bridging the simulated controller,
// is listed, opened and read like a local port.
#include "trovatest.h"

#include "ser2net_posix.h"
#include "simulator.h"
#include "zentowidget.h"

#include <QFile>
#include <QLabel>

#include <memory>

using namespace trovatest;

Q_DECLARE_METATYPE(Ser2Net::Kind)

class TestZentoWidgetNetwork : public QObject
{
    Q_OBJECT

private slots:
    void opensANetworkPortFromTheList_data();
    void opensANetworkPortFromTheList();

private:
    QString labelText(const QWidget *window, const char *name) const
    {
        return child<QLabel>(window, name)->text();
    }
};

void TestZentoWidgetNetwork::opensANetworkPortFromTheList_data()
{
    QTest::addColumn<Ser2Net::Kind>("kind");
    QTest::newRow("raw TCP") << Ser2Net::Kind::Raw;
    QTest::newRow("RFC 2217") << Ser2Net::Kind::Rfc2217;
}

void TestZentoWidgetNetwork::opensANetworkPortFromTheList()
{
    QFETCH(Ser2Net::Kind, kind);
    if (!Ser2Net::available()) {
        QSKIP("ser2net is not installed");
    }
    // The controller's own link goes elsewhere: the window must find it
    // through the URL alone.
    QTemporaryDir simDir;
    kivrasim::Simulator sim;
    QVERIFY(sim.start("REMOTE", simDir.path().toStdString()));
    sim.setParameter(code::kSetOnTime, 65535); // 0xFF bytes in the reply frame
    sim.setParameter(code::kSetOffTime, 250);
    sim.setText(code::kReadSerial, "SN-NET1");
    Ser2Net ser2net;
    QVERIFY(ser2net.start(sim.ttyPath(), kind));

    ZentoWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Published whole, by a rename, as the watcher sees a name only once.
    const QString entry = portDirectory() + QStringLiteral("/LAB3");
    const QString draft = portDirectory() + QStringLiteral("/.LAB3.draft");
    QFile file(draft);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(ser2net.url() + "\n"));
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(QFile::rename(draft, entry));

    // The hot-plug watcher shows the arrival like a local port's.
    auto *combo = child<QComboBox>(&window, "comboBox_deviceList");
    QTRY_VERIFY(combo->findText(QStringLiteral("LAB3")) >= 0);

    openThroughWindow(&window, QStringLiteral("LAB3"));
    QCOMPARE(labelText(&window, "label_message"), zh("打开设备成功"));
    QCOMPARE(labelText(&window, "label_onTime"), QStringLiteral("65535 ms"));
    QCOMPARE(labelText(&window, "label_offTime"), QStringLiteral("250 ms"));
    QCOMPARE(labelText(&window, "label_serialNumber"), QStringLiteral("SN-NET1"));

    // Commands travel the same way.
    child<QPushButton>(&window, "pushButton_off")->click();
    QCOMPARE(sim.parameter(code::kGetState), 2);
    QFile::remove(entry);
}

TROVA_TEST_MAIN(TestZentoWidgetNetwork)
#include "tst_zentowidget_network.moc"
