// Where config.ini lives on Windows: beside the program when its folder can
// be written, else in %APPDATA%\Trova. Under wine a folder that nobody may
// create files in, not even root (the tests run as root in CI), is the
// host's /proc, seen as Z:\proc.
#include "trovatest.h"

#include "config.h"

#include <QDir>
#include <QFile>

namespace {
const QString kUnwritable = QStringLiteral("Z:/proc");

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[language]\nlanguage=EN\n");
}
} // namespace

class TestConfigWin : public QObject
{
    Q_OBJECT

private slots:
    void userFolderIsRoamingAppData();
    void writableFolderIsProbedWithoutTrace();
    void unwritableFolderGoesToTheUser_data();
    void unwritableFolderGoesToTheUser();
    void writableFolderKeepsTheFileBesideTheProgram();
};

void TestConfigWin::userFolderIsRoamingAppData()
{
    const QString appData = qEnvironmentVariable("APPDATA");
    QVERIFY(!appData.isEmpty());
    QCOMPARE(config::userFolder(), QDir::fromNativeSeparators(appData) + QStringLiteral("/Trova"));
}

void TestConfigWin::writableFolderIsProbedWithoutTrace()
{
    QTemporaryDir dir;
    QVERIFY(config::folderWritable(dir.path()));
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    QCOMPARE(QDir(dir.path()).entryList(all), QStringList());

    QVERIFY(!config::folderWritable(kUnwritable));
    QVERIFY(!config::folderWritable(dir.path() + QStringLiteral("/missing")));
}

void TestConfigWin::unwritableFolderGoesToTheUser_data()
{
    QTest::addColumn<bool>("userFileExists");
    QTest::newRow("no file of the user's yet") << false;
    QTest::newRow("the user's file") << true;
}

void TestConfigWin::unwritableFolderGoesToTheUser()
{
    QFETCH(bool, userFileExists);
    QTemporaryDir user;
    if (userFileExists) {
        touch(config::configPath(user.path()));
    }
    const config::Location where = config::locate(kUnwritable, user.path());
    // The program folder's file stays everyone's default until the user has one.
    QCOMPARE(where.readPath, config::configPath(userFileExists ? user.path() : kUnwritable));
    QCOMPARE(where.writePath, config::configPath(user.path()));
}

void TestConfigWin::writableFolderKeepsTheFileBesideTheProgram()
{
    QTemporaryDir program;
    QTemporaryDir user;
    touch(config::configPath(user.path()));
    const config::Location where = config::locate(program.path(), user.path());
    QCOMPARE(where.readPath, config::configPath(program.path()));
    QCOMPARE(where.writePath, config::configPath(program.path()));
}

TROVA_TEST_MAIN(TestConfigWin)
#include "tst_config_win.moc"
