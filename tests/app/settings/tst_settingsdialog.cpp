// The settings dialog's about page, help links, title-bar drag and closing.
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QtTest>

#include "settingswidget.h"
#include "simdevice.h"

namespace {

// Receives what the dialog hands to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void openUrl(const QUrl &url) { urls << url; }
};

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void aboutPageShowsFirmwareVersion_data();
    void aboutPageShowsFirmwareVersion();
    void failedVersionReadKeepsLastVersion();
    void linksOpenBesideTheProgram_data();
    void linksOpenBesideTheProgram();
    void titleBarDrag_data();
    void titleBarDrag();
    void closeHidesAndKeepsPlace();

private:
    void makeDialog();
    template <class T> T *child(const char *name) { return dialog->findChild<T *>(name); }

    SettingsWidget *dialog = nullptr;
    QStringList messages;
};

void TestSettingsDialog::cleanup()
{
    delete dialog;
    dialog = nullptr;
    messages.clear();
}

void TestSettingsDialog::makeDialog()
{
    dialog = new SettingsWidget;
    connect(dialog, &SettingsWidget::signal_showMsg, this,
            [this](const QString &msg) { messages << msg; });
}

void TestSettingsDialog::aboutPageShowsFirmwareVersion_data()
{
    QTest::addColumn<bool>("withDevice");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no device") << false << QByteArray() << "V";
    QTest::newRow("short") << true << QByteArray("V2.0.3") << "V2.0.3";
    QTest::newRow("full field, no terminator")
        << true << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ-12345")
        << "ABCDEFGHIJKLMNOPQRSTUVWXYZ-12345";
    QTest::newRow("UTF-8") << true << QByteArray("固件 3.1") << "固件 3.1";
}

void TestSettingsDialog::aboutPageShowsFirmwareVersion()
{
    QFETCH(bool, withDevice);
    QFETCH(QByteArray, version);
    SimDevice device;
    makeDialog();
    if (withDevice) {
        QVERIFY2(device.open(), qPrintable(device.error()));
        device.sim().setText(code::kReadVersion, version.toStdString());
        dialog->setDevHandle(device.handle());
    }

    child<QPushButton>("pushButton_about")->click();

    QCOMPARE(child<QStackedWidget>("stackedWidget_settings")->currentWidget(),
             child<QWidget>("page_about"));
    QTEST(child<QLabel>("label_hardwareVersion")->text(), "shown");
    QVERIFY(messages.isEmpty());
}

void TestSettingsDialog::failedVersionReadKeepsLastVersion()
{
    SimDevice device;
    QVERIFY2(device.open(), qPrintable(device.error()));
    device.sim().setText(code::kReadVersion, "V7.7");
    makeDialog();
    dialog->setDevHandle(device.handle());
    child<QPushButton>("pushButton_about")->click();

    kivrasim::Faults faults;
    faults.corruptCheck = true;
    device.sim().setFaults(faults);
    device.sim().setText(code::kReadVersion, "V8.8");
    child<QPushButton>("pushButton_about")->click();

    QCOMPARE(child<QLabel>("label_hardwareVersion")->text(), QStringLiteral("V7.7"));
    QVERIFY(messages.isEmpty());
}

void TestSettingsDialog::linksOpenBesideTheProgram_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QUrl>("url");
    const QString dir = QCoreApplication::applicationDirPath();
    QTest::newRow("manual") << "label_softManual"
                            << QUrl::fromLocalFile(dir + "/help/Kivra软件使用说明书.pdf");
    QTest::newRow("SDK") << "label_openSDK" << QUrl::fromLocalFile(dir + "/help/SDK");
    // The toolkit ends an unquoted href at its "=", so the query is cut short.
    QTest::newRow("home page") << "label_moreInfo"
                               << QUrl(QStringLiteral("https://kivra.example.org/?type"));
}

void TestSettingsDialog::linksOpenBesideTheProgram()
{
    QFETCH(QString, label);
    QFETCH(QUrl, url);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "openUrl");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "openUrl");
    makeDialog();
    dialog->show();
    child<QPushButton>("pushButton_about")->click();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));

    // A click at the start of the text lands on the link.
    QLabel *link = child<QLabel>(qPrintable(label));
    const QPoint onText(2, link->height() / 2);
    QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, onText);

    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls, QList<QUrl>{url});
}

void TestSettingsDialog::titleBarDrag_data()
{
    QTest::addColumn<QString>("target"); // widget pressed on; "" for the dialog
    QTest::addColumn<QPointF>("press");  // in the target's coordinates
    QTest::addColumn<bool>("drags");
    QTest::newRow("title label") << "label_11" << QPointF(20, 15) << true;
    QTest::newRow("title bar, own area") << "" << QPointF(300, 20) << true;
    QTest::newRow("half a pixel above, rounds in") << "" << QPointF(50, 9.5) << true;
    QTest::newRow("transparent band") << "" << QPointF(50, 9.4) << false;
    QTest::newRow("below the title bar") << "" << QPointF(300, 40) << false;
    QTest::newRow("inside a page") << "page_run" << QPointF(10, 100) << false;
    QTest::newRow("close button") << "pushButton_close" << QPointF(15, 15) << false;
}

void TestSettingsDialog::titleBarDrag()
{
    QFETCH(QString, target);
    QFETCH(QPointF, press);
    QFETCH(bool, drags);
    makeDialog();
    dialog->move(100, 100);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QWidget *pressed = target.isEmpty() ? dialog : child<QWidget>(qPrintable(target));
    const QPoint start = dialog->pos();
    const QPointF grab = pressed->mapTo(dialog, QPoint()) + press;
    const QPointF shift(40, 25);

    QMouseEvent down(QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(pressed, &down);
    // The cursor moves by shift on the screen; in the dialog's coordinates
    // it lies wherever the dialog has got to by now.
    QMouseEvent move(QEvent::MouseMove, grab + shift, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog, &move);
    const QPoint moved = dialog->pos();
    QMouseEvent up(QEvent::MouseButtonRelease, grab + shift - QPointF(moved - start),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(dialog, &up);
    QMouseEvent after(QEvent::MouseMove, QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(dialog, &after);

    QCOMPARE(dialog->pos(), drags ? start + shift.toPoint() : start);
    QVERIFY(dialog->isVisible());
}

void TestSettingsDialog::closeHidesAndKeepsPlace()
{
    makeDialog();
    dialog->move(150, 120);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    child<QSpinBox>("spinBox_cycleCount")->setValue(321);

    child<QPushButton>("pushButton_close")->click();
    QVERIFY(!dialog->isVisible());
    dialog->show();

    QCOMPARE(dialog->pos(), QPoint(150, 120));
    QCOMPARE(child<QSpinBox>("spinBox_cycleCount")->value(), 321);
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
