// The factory debug panel against the simulated controller: text reads and
// writes, the four tuning values and fields that hold no valid number.
#include "trovatest.h"

#include "KivraLibrary.h"
#include "devdebugwidget.h"
#include "simulator.h"

#include <QLabel>
#include <QLineEdit>

#include <memory>

using namespace trovatest;

namespace {
const QByteArray kForty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
constexpr int kTextFieldBytes = 32;
} // namespace

class TestDevDebugWidget : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readShowsText_data();
    void readShowsText();
    void writeSendsFirst32Bytes_data();
    void writeSendsFirst32Bytes();
    void failedReadLeavesField();
    void writeNumber_data();
    void writeNumber();
    void withoutDeviceWritesFailAndReadsChangeNothing();

private:
    QLineEdit *field(const QString &name) const
    {
        return child<QLineEdit>(panel.get(), name.toLatin1().constData());
    }
    void press(const QString &name) const
    {
        child<QPushButton>(panel.get(), name.toLatin1().constData())->click();
    }
    QString result() const { return child<QLabel>(panel.get(), "label_msg")->text(); }

    std::unique_ptr<kivrasim::Simulator> sim;
    std::unique_ptr<DevDebugWidget> panel;
    int handle = 0;
};

void TestDevDebugWidget::init()
{
    sim = std::make_unique<kivrasim::Simulator>();
    QVERIFY(sim->start("SIM1", portDirectory().toStdString()));
    handle = openSerial(sim->portName().c_str());
    QVERIFY(handle > 0);
    panel = std::make_unique<DevDebugWidget>();
    panel->setDevHandle(handle);
}

void TestDevDebugWidget::cleanup()
{
    panel.reset();
    closeSerial(handle);
    sim.reset();
}

void TestDevDebugWidget::readShowsText_data()
{
    QTest::addColumn<int>("readCode");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("lineEdit");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("name") << int(code::kReadName) << "pushButton_readDevName"
                          << "lineEdit_devName" << QByteArray("Bench-7");
    QTest::newRow("name of 32 bytes") << int(code::kReadName) << "pushButton_readDevName"
                                      << "lineEdit_devName" << kForty.left(kTextFieldBytes);
    QTest::newRow("serial") << int(code::kReadSerial) << "pushButton_readSerial"
                            << "lineEdit_serialNumber" << QByteArray("KS-99");
}

void TestDevDebugWidget::readShowsText()
{
    QFETCH(int, readCode);
    QFETCH(QString, button);
    QFETCH(QString, lineEdit);
    QFETCH(QByteArray, stored);

    sim->setText(uint16_t(readCode), stored.toStdString());
    field(lineEdit)->setText(QStringLiteral("typed before"));
    press(button);
    QCOMPARE(field(lineEdit)->text(), QString::fromLatin1(stored));
    // A read reports nothing of its own.
    QCOMPARE(result(), QStringLiteral("TextLabel"));
}

void TestDevDebugWidget::writeSendsFirst32Bytes_data()
{
    QTest::addColumn<int>("readCode");
    QTest::addColumn<QString>("writeButton");
    QTest::addColumn<QString>("readButton");
    QTest::addColumn<QString>("lineEdit");

    QTest::newRow("name") << int(code::kReadName) << "pushButton_writeDevName"
                          << "pushButton_readDevName"
                          << "lineEdit_devName";
    QTest::newRow("serial") << int(code::kReadSerial) << "pushButton_writeSerial"
                            << "pushButton_readSerial"
                            << "lineEdit_serialNumber";
}

void TestDevDebugWidget::writeSendsFirst32Bytes()
{
    QFETCH(int, readCode);
    QFETCH(QString, writeButton);
    QFETCH(QString, readButton);
    QFETCH(QString, lineEdit);

    field(lineEdit)->setText(QString::fromLatin1(kForty));
    press(writeButton);
    QCOMPARE(result(), zh("设置成功"));
    QCOMPARE(QByteArray::fromStdString(sim->text(uint16_t(readCode))),
             kForty.left(kTextFieldBytes));
    // The field is not read back after a write.
    QCOMPARE(field(lineEdit)->text(), QString::fromLatin1(kForty));

    field(lineEdit)->clear();
    press(readButton);
    QCOMPARE(field(lineEdit)->text(), QString::fromLatin1(kForty.left(kTextFieldBytes)));
}

void TestDevDebugWidget::failedReadLeavesField()
{
    kivrasim::Faults faults;
    faults.silent = true;
    sim->setFaults(faults);
    field("lineEdit_devName")->setText(QStringLiteral("keep me"));
    press("pushButton_readDevName");
    QCOMPARE(field("lineEdit_devName")->text(), QStringLiteral("keep me"));
    QCOMPARE(result(), QStringLiteral("TextLabel"));
}

void TestDevDebugWidget::writeNumber_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("lineEdit");
    QTest::addColumn<int>("tuningCode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("sent");

    struct Target
    {
        const char *name;
        const char *button;
        const char *lineEdit;
        uint16_t code;
    };
    const Target targets[] = {
        {"duty", "pushButton_writePwmDuty", "lineEdit_PWMduty", code::kPwmDuty},
        {"hz", "pushButton_writePwmHz", "lineEdit_PwmHz", code::kPwmHz},
        {"end pwm", "pushButton_writeEndpointPwm", "lineEdit_endpointPwm", code::kEndPointPwm},
        {"end time", "pushButton_writeEndpointTime", "lineEdit_endpointTime", code::kEndPointTime},
    };
    const struct
    {
        const char *name;
        const char *typed;
        bool sent;
    } inputs[] = {
        {"number", "35", true},
        {"largest", "2147483647", true},
        {"empty", "", false},
        {"spaces", "   ", false},
        {"letters after", "12ab", false},
        {"beyond 32 bits", "2147483648", false},
        {"hexadecimal", "0x10", false},
        {"fraction", "1.5", false},
    };
    for (const Target &target : targets) {
        for (const auto &input : inputs) {
            QTest::addRow("%s, %s", target.name, input.name)
                << target.button << target.lineEdit << int(target.code)
                << QString::fromLatin1(input.typed) << input.sent;
        }
    }
}

void TestDevDebugWidget::writeNumber()
{
    QFETCH(QString, button);
    QFETCH(QString, lineEdit);
    QFETCH(int, tuningCode);
    QFETCH(QString, typed);
    QFETCH(bool, sent);

    field(lineEdit)->setText(typed);
    press(button);

    QCOMPARE(countCode(sim->requests(), uint16_t(tuningCode)), sent ? 1 : 0);
    QCOMPARE(result(), sent ? zh("设置成功") : zh("设置失败"));
    if (sent) {
        QCOMPARE(sim->tuning(uint16_t(tuningCode)), typed.toInt());
    }
    QCOMPARE(field(lineEdit)->text(), typed);
}

void TestDevDebugWidget::withoutDeviceWritesFailAndReadsChangeNothing()
{
    DevDebugWidget fresh;
    child<QLineEdit>(&fresh, "lineEdit_devName")->setText(QStringLiteral("typed"));
    child<QPushButton>(&fresh, "pushButton_readDevName")->click();
    QCOMPARE(child<QLineEdit>(&fresh, "lineEdit_devName")->text(), QStringLiteral("typed"));
    QCOMPARE(child<QLabel>(&fresh, "label_msg")->text(), QStringLiteral("TextLabel"));

    child<QPushButton>(&fresh, "pushButton_writeDevName")->click();
    QCOMPARE(child<QLabel>(&fresh, "label_msg")->text(), zh("设置失败"));
    child<QLineEdit>(&fresh, "lineEdit_PwmHz")->setText(QStringLiteral("100"));
    child<QPushButton>(&fresh, "pushButton_writePwmHz")->click();
    QCOMPARE(child<QLabel>(&fresh, "label_msg")->text(), zh("设置失败"));
    QCOMPARE(sim->exchangeCount(), 0);
}

TROVA_TEST_MAIN(TestDevDebugWidget)
#include "tst_devdebugwidget.moc"
