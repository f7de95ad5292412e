// config.ini when the program's folder cannot be written, as in an installed
// program: the language page writes the user's own file, start-up reads it
// first, and a failed write is reported without quitting. The folder is made
// read-only, which binds only a user without the right to bypass file
// permissions: run as such a user (root fails here, saying so).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "config.h"
#include "quitrequest.h"
#include "settingswidget.h"

namespace {

const char kSaveFailed[] = "保存语言设置失败";
constexpr int kPollMs = 10;
const QFile::Permissions kReadOnlyDir =
    QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
const QFile::Permissions kWritableDir = kReadOnlyDir | QFile::WriteOwner;

QString appDir()
{
    return QCoreApplication::applicationDirPath();
}

QString language(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return QString();
    QSettings settings(path, QSettings::IniFormat);
    return settings.value(QStringLiteral("language/language")).toString();
}

bool writeLanguage(const QString &path, const QString &value)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("language/language"), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

// Read-only for us; false when we can write it all the same.
bool makeReadOnly(const QString &dir)
{
    return QFile::setPermissions(dir, kReadOnlyDir) && !QFileInfo(dir).isWritable();
}

const char kStillWritable[] = "a folder with write permission removed can still be written: "
                              "this test must run as a user bound by file permissions, not root";

// Confirms the next message box.
class BoxConfirmer : public QObject
{
public:
    BoxConfirmer()
    {
        connect(&poll_, &QTimer::timeout, this, [this] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(widget);
                if (box && box->isVisible()) {
                    poll_.stop();
                    ++seen;
                    box->button(QMessageBox::Ok)->click();
                    return;
                }
            }
        });
        poll_.start(kPollMs);
    }
    int seen = 0;

private:
    QTimer poll_;
};

} // namespace

class TestSettingsReadOnly : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void locate_data();
    void locate();
    void switchWritesTheUserFile();
    void unwritableUserFolderIsReported();

private:
    QString userFile() const { return config::locateForApplication().writePath; }
    void makeDialog();
    QString checkedLanguage() const;

    QTemporaryDir userConfig;
    SettingsWidget *dialog = nullptr;
    QStringList messages;
};

void TestSettingsReadOnly::initTestCase()
{
    QVERIFY(userConfig.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(userConfig.path()));
    // The administrator's default beside the program: English.
    QVERIFY(writeLanguage(appDir() + "/config.ini", QStringLiteral("EN")));
    if (!makeReadOnly(appDir()))
        QFAIL(kStillWritable);
}

void TestSettingsReadOnly::cleanupTestCase()
{
    QFile::setPermissions(appDir(), kWritableDir);
    QFile::remove(appDir() + "/config.ini");
}

void TestSettingsReadOnly::init()
{
    QFile::setPermissions(userConfig.path(), kWritableDir);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(userConfig.path()));
    // The folder too: Trova below XDG_CONFIG_HOME.
    QVERIFY(QDir(QFileInfo(userFile()).absolutePath()).removeRecursively());
    messages.clear();
}

void TestSettingsReadOnly::cleanup()
{
    delete dialog;
    dialog = nullptr;
    QFile::setPermissions(userConfig.path(), kWritableDir);
    QVERIFY(!takeQuitRequest());
}

void TestSettingsReadOnly::makeDialog()
{
    dialog = new SettingsWidget;
    connect(dialog, &SettingsWidget::signal_showMsg, this,
            [this](const QString &msg) { messages << msg; });
}

QString TestSettingsReadOnly::checkedLanguage() const
{
    const bool cn = dialog->findChild<QRadioButton *>("radioButton_cn")->isChecked();
    const bool en = dialog->findChild<QRadioButton *>("radioButton_en")->isChecked();
    return cn == en ? QStringLiteral("both or none")
           : cn     ? QStringLiteral("cn")
                    : QStringLiteral("en");
}

void TestSettingsReadOnly::locate_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("besideFile");
    QTest::addColumn<bool>("userFile");
    QTest::addColumn<QString>("reads"); // "beside" or "user"
    QTest::addColumn<QString>("writes");

    QTest::newRow("portable: only the file beside") << true << true << true << "beside"
                                                    << "beside";
    QTest::newRow("portable, no file yet") << true << false << false << "beside"
                                           << "beside";
    QTest::newRow("read-only, user file first") << false << true << true << "user"
                                                << "user";
    QTest::newRow("read-only, default beside") << false << true << false << "beside"
                                               << "user";
    QTest::newRow("read-only, no file at all") << false << false << false << "beside"
                                               << "user";
}

void TestSettingsReadOnly::locate()
{
    QFETCH(bool, writable);
    QFETCH(bool, besideFile);
    QFETCH(bool, userFile);
    QFETCH(QString, reads);
    QFETCH(QString, writes);

    QTemporaryDir program;
    QTemporaryDir user;
    const QString beside = program.path() + "/config.ini";
    const QString own = user.path() + "/config.ini";
    if (besideFile)
        QVERIFY(writeLanguage(beside, QStringLiteral("CN")));
    if (userFile)
        QVERIFY(writeLanguage(own, QStringLiteral("EN")));
    if (!writable && !makeReadOnly(program.path()))
        QFAIL(kStillWritable);

    const config::Location found = config::locate(program.path(), user.path());
    QFile::setPermissions(program.path(), kWritableDir);
    QCOMPARE(found.readPath, reads == "user" ? own : beside);
    QCOMPARE(found.writePath, writes == "user" ? own : beside);
}

void TestSettingsReadOnly::switchWritesTheUserFile()
{
    makeDialog();
    QCOMPARE(checkedLanguage(), QStringLiteral("en")); // the default beside
    {
        BoxConfirmer confirm;
        dialog->findChild<QRadioButton *>("radioButton_cn")->click();
        QCOMPARE(confirm.seen, 1);
    }
    QVERIFY(takeQuitRequest());
    QVERIFY(messages.isEmpty());
    QCOMPARE(language(userFile()), QStringLiteral("CN"));
    QCOMPARE(language(appDir() + "/config.ini"), QStringLiteral("EN"));

    // The next start reads the user's choice, not the default.
    delete dialog;
    makeDialog();
    QCOMPARE(checkedLanguage(), QStringLiteral("cn"));
    QCOMPARE(config::locateForApplication().readPath, userFile());
}

void TestSettingsReadOnly::unwritableUserFolderIsReported()
{
    if (!makeReadOnly(userConfig.path()))
        QFAIL(kStillWritable);
    makeDialog();
    {
        BoxConfirmer confirm;
        dialog->findChild<QRadioButton *>("radioButton_cn")->click();
        QCOMPARE(confirm.seen, 1);
    }
    QVERIFY(!takeQuitRequest());
    QCOMPARE(messages, QStringList{kSaveFailed});
    QCOMPARE(checkedLanguage(), QStringLiteral("en"));
    QVERIFY(!QFileInfo::exists(userFile()));
}

QTEST_MAIN(TestSettingsReadOnly)
#include "tst_settingsreadonly.moc"
