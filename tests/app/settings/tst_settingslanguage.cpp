// The language page of the settings dialog: the choice read from config.ini,
// the confirmation prompts, and what a confirmed switch writes.
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>

#include "quitrequest.h"
#include "settingswidget.h"

namespace {

const char kSaveFailed[] = "保存语言设置失败";
const char kLinkStart[] = "<a style='color: blue; text-decoration: none' href = ";
constexpr int kPollMs = 10;

QString configPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/config.ini");
}

void removeConfig()
{
    QDir(configPath()).removeRecursively();
    QFile::remove(configPath());
    QFile::remove(configPath() + QStringLiteral(".lock"));
}

void writeConfig(const QString &value)
{
    QSettings settings(configPath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("language/language"), value);
}

// The stored language, or a null string when there is no config.ini.
QString storedLanguage()
{
    if (!QFileInfo(configPath()).isFile())
        return QString();
    QSettings settings(configPath(), QSettings::IniFormat);
    return settings.value(QStringLiteral("language/language")).toString();
}

enum Answer
{
    Ok,
    Cancel,
    Escape,
    CloseWindow
};

// Answers the next message box from inside its own event loop and keeps what
// it showed.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(Answer answer) : answer_(answer)
    {
        connect(&poll_, &QTimer::timeout, this, &BoxAnswerer::check);
        poll_.start(kPollMs);
    }

    int seen = 0;
    QString text;
    QString informativeText;
    QString okText;
    QString cancelText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool okIsDefault = false;
    bool hasParent = false;

private:
    void check()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible())
                continue;
            poll_.stop();
            ++seen;
            text = box->text();
            informativeText = box->informativeText();
            okText = box->button(QMessageBox::Ok)->text();
            cancelText = box->button(QMessageBox::Cancel)->text();
            icon = box->icon();
            okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
            hasParent = box->parentWidget() != nullptr;
            answer(box);
            return;
        }
    }

    void answer(QMessageBox *box)
    {
        switch (answer_) {
        case Ok:
            box->button(QMessageBox::Ok)->click();
            break;
        case Cancel:
            box->button(QMessageBox::Cancel)->click();
            break;
        case Escape:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case CloseWindow:
            box->close();
            break;
        }
    }

    Answer answer_;
    QTimer poll_;
};

} // namespace

Q_DECLARE_METATYPE(Answer)

class TestSettingsLanguage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void languageFromConfig_data();
    void languageFromConfig();
    void switchLanguage_data();
    void switchLanguage();
    void promptSpeaksTheLanguageOffered_data();
    void promptSpeaksTheLanguageOffered();
    void cancelledSwitchThenOtherLanguage();
    void failedSaveKeepsRunning();
    void unparsableConfigIsReplaced();

private:
    void makeDialog();
    template <class T> T *child(const char *name) { return dialog->findChild<T *>(name); }
    QString checkedLanguageButton();

    SettingsWidget *dialog = nullptr;
    QStringList messages;
};

void TestSettingsLanguage::init()
{
    removeConfig();
    messages.clear();
}

void TestSettingsLanguage::cleanup()
{
    delete dialog;
    dialog = nullptr;
    removeConfig();
    QVERIFY(!takeQuitRequest());
}

void TestSettingsLanguage::makeDialog()
{
    dialog = new SettingsWidget;
    connect(dialog, &SettingsWidget::signal_showMsg, this,
            [this](const QString &msg) { messages << msg; });
}

QString TestSettingsLanguage::checkedLanguageButton()
{
    const bool cn = child<QRadioButton>("radioButton_cn")->isChecked();
    const bool en = child<QRadioButton>("radioButton_en")->isChecked();
    return cn == en ? QStringLiteral("both or none")
           : cn     ? QStringLiteral("cn")
                    : QStringLiteral("en");
}

void TestSettingsLanguage::languageFromConfig_data()
{
    QTest::addColumn<QString>("stored"); // null: no config.ini
    QTest::addColumn<bool>("english");
    // How a stored value is read is the start-up test's (languageChoice);
    // here only that the dialog follows it, in each language and with no file.
    QTest::newRow("no file") << QString() << false;
    QTest::newRow("EN") << "EN" << true;
    QTest::newRow("CN") << "CN" << false;
}

void TestSettingsLanguage::languageFromConfig()
{
    QFETCH(QString, stored);
    QFETCH(bool, english);
    if (!stored.isNull())
        writeConfig(stored);

    makeDialog();

    QCOMPARE(checkedLanguageButton(), english ? "en" : "cn");
    const QString manual = QString::fromUtf8(kLinkStart) +
                           QStringLiteral("/help/Kivra软件使用说明书.pdf ?type=lately>") +
                           (english ? "open" : "查看");
    const QString sdk = QString::fromUtf8(kLinkStart) + QStringLiteral("/help/SDK ?type=lately>") +
                        (english ? "open SDK" : "查看 SDK");
    const QString moreInfo = QString::fromUtf8(kLinkStart) +
                             QStringLiteral("https://kivra.example.org/?type=lately>") +
                             (english ? "lern more" : "了解更多");
    QCOMPARE(child<QLabel>("label_softManual")->text(), manual);
    QCOMPARE(child<QLabel>("label_openSDK")->text(), sdk);
    QCOMPARE(child<QLabel>("label_moreInfo")->text(), moreInfo);
    QVERIFY(!QFileInfo::exists(configPath()) || !stored.isNull());
}

void TestSettingsLanguage::switchLanguage_data()
{
    QTest::addColumn<QString>("stored"); // null: no config.ini
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("prompted");
    QTest::addColumn<QString>("storedAfter");
    QTest::addColumn<bool>("quits");
    QTest::addColumn<QString>("checkedAfter");

    QTest::newRow("Chinese, click cn")
        << QString() << "cn" << Ok << false << QString() << false << "cn";
    QTest::newRow("English, click en") << "EN"
                                       << "en" << Ok << false << "EN" << false << "en";
    QTest::newRow("to English, OK, no file")
        << QString() << "en" << Ok << true << "EN" << true << "en";
    QTest::newRow("to English, Cancel") << "CN"
                                        << "en" << Cancel << true << "CN" << false << "en";
    QTest::newRow("to English, Escape")
        << QString() << "en" << Escape << true << QString() << false << "en";
    QTest::newRow("to English, closed")
        << QString() << "en" << CloseWindow << true << QString() << false << "en";
    QTest::newRow("to Chinese, OK") << "EN"
                                    << "cn" << Ok << true << "CN" << true << "cn";
    QTest::newRow("to Chinese, Cancel") << "EN"
                                        << "cn" << Cancel << true << "EN" << false << "cn";
}

void TestSettingsLanguage::switchLanguage()
{
    QFETCH(QString, stored);
    QFETCH(QString, clicked);
    QFETCH(Answer, answer);
    QFETCH(bool, prompted);
    QFETCH(QString, storedAfter);
    QFETCH(bool, quits);
    QFETCH(QString, checkedAfter);
    if (!stored.isNull())
        writeConfig(stored);
    makeDialog();

    BoxAnswerer answerer(answer);
    child<QRadioButton>(qPrintable("radioButton_" + clicked))->click();

    QCOMPARE(answerer.seen, prompted ? 1 : 0);
    QCOMPARE(storedLanguage(), storedAfter);
    QCOMPARE(takeQuitRequest(), quits);
    QCOMPARE(checkedLanguageButton(), checkedAfter);
    QVERIFY(messages.isEmpty());
}

void TestSettingsLanguage::promptSpeaksTheLanguageOffered_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("informativeText");
    QTest::addColumn<QString>("okText");
    QTest::addColumn<QString>("cancelText");
    QTest::newRow("Chinese") << "EN"
                             << "cn"
                             << "切换语言"
                             << "切换语言需要重启软件生效，您确定要退出吗?"
                             << "确定"
                             << "取消";
    QTest::newRow("English") << "CN"
                             << "en"
                             << "Change Language"
                             << "Switching languages requires restarting software to take "
                                "effect. Are you sure you want to quit?"
                             << "OK"
                             << "Cancel";
}

void TestSettingsLanguage::promptSpeaksTheLanguageOffered()
{
    QFETCH(QString, stored);
    QFETCH(QString, clicked);
    writeConfig(stored);
    makeDialog();

    BoxAnswerer answerer(Cancel);
    child<QRadioButton>(qPrintable("radioButton_" + clicked))->click();

    QCOMPARE(answerer.seen, 1);
    QTEST(answerer.text, "text");
    QTEST(answerer.informativeText, "informativeText");
    QTEST(answerer.okText, "okText");
    QTEST(answerer.cancelText, "cancelText");
    QCOMPARE(answerer.icon, QMessageBox::Question);
    QVERIFY(answerer.okIsDefault);
    QVERIFY(!answerer.hasParent);
}

void TestSettingsLanguage::cancelledSwitchThenOtherLanguage()
{
    writeConfig(QStringLiteral("CN"));
    makeDialog();
    {
        BoxAnswerer answerer(Cancel);
        child<QRadioButton>("radioButton_en")->click();
        QCOMPARE(answerer.seen, 1);
    }
    // The cancelled choice counts as the current one: clicking it again asks
    // nothing, while going back to Chinese asks and stores "CN" once more.
    {
        BoxAnswerer answerer(Ok);
        child<QRadioButton>("radioButton_en")->click();
        QCOMPARE(answerer.seen, 0);
    }
    BoxAnswerer answerer(Ok);
    child<QRadioButton>("radioButton_cn")->click();
    QCOMPARE(answerer.seen, 1);
    QCOMPARE(answerer.text, QStringLiteral("切换语言"));
    QCOMPARE(storedLanguage(), QStringLiteral("CN"));
    QVERIFY(takeQuitRequest());
}

void TestSettingsLanguage::failedSaveKeepsRunning()
{
    // Start from a file the process has read, so the toolkit's settings
    // cache holds it; then a folder in its place makes every write fail,
    // even for root.
    writeConfig(QStringLiteral("CN"));
    makeDialog();
    QVERIFY(QFile::remove(configPath()));
    QVERIFY(QDir().mkpath(configPath()));
    {
        BoxAnswerer answerer(Ok);
        child<QRadioButton>("radioButton_en")->click();
        QCOMPARE(answerer.seen, 1);
    }
    QVERIFY(!takeQuitRequest());
    QCOMPARE(checkedLanguageButton(), QStringLiteral("cn"));
    QCOMPARE(messages, QStringList{kSaveFailed});

    // Still Chinese: clicking "中文" asks nothing, English asks again.
    {
        BoxAnswerer quiet(Cancel);
        child<QRadioButton>("radioButton_cn")->click();
        QCOMPARE(quiet.seen, 0);
    }
    {
        BoxAnswerer again(Cancel);
        child<QRadioButton>("radioButton_en")->click();
        QCOMPARE(again.seen, 1);
    }

    // Nothing of the failed choice lingers for a later reader of the file.
    delete dialog;
    QVERIFY(QDir(configPath()).removeRecursively());
    makeDialog();
    QCOMPARE(checkedLanguageButton(), QStringLiteral("cn"));
}

void TestSettingsLanguage::unparsableConfigIsReplaced()
{
    QFile file(configPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[language\n\"=x\n=5\n");
    file.close();
    makeDialog();

    BoxAnswerer answerer(Ok);
    child<QRadioButton>("radioButton_en")->click();

    QCOMPARE(answerer.seen, 1);
    QCOMPARE(storedLanguage(), QStringLiteral("EN"));
    QVERIFY(takeQuitRequest());
    QVERIFY(messages.isEmpty());
}

QTEST_MAIN(TestSettingsLanguage)
#include "tst_settingslanguage.moc"
