// Start-up: the language choice in config.ini, the English translation, the
// application font and the -debug switch.
#include "trovatest.h"

#include "config.h"
#include "startup.h"
#include "zentowidget.h"

#include <QFile>
#include <QFontDatabase>
#include <QPushButton>
#include <QSettings>
#include <QTranslator>

using trovatest::child;
using trovatest::zh;

namespace {
const QString kBuiltAppDir = QStringLiteral(TROVA_APP_BUILD_DIR);

void writeConfig(const QString &dir, const QByteArray &contents)
{
    QFile file(config::configPath(dir));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void languageChoice_data();
    void languageChoice();
    void englishTranslationReachesTheForms();
    void missingTranslationKeepsChinese();
    void missingFontKeepsTheDefault();
    void fontFileSetsFamilyAndPixelSize();
    void debugSwitch_data();
    void debugSwitch();
    void debugButtonShownWithTheWindow_data();
    void debugButtonShownWithTheWindow();
};

void TestStartup::languageChoice_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<bool>("english");

    QTest::newRow("EN") << QByteArray("[language]\nlanguage=EN\n") << true;
    QTest::newRow("en") << QByteArray("[language]\nlanguage=en\n") << false;
    QTest::newRow("En") << QByteArray("[language]\nlanguage=En\n") << false;
    QTest::newRow("CN") << QByteArray("[language]\nlanguage=CN\n") << false;
    QTest::newRow("empty value") << QByteArray("[language]\nlanguage=\n") << false;
    QTest::newRow("EN in another group") << QByteArray("[general]\nlanguage=EN\n") << false;
    QTest::newRow("no file") << QByteArray() << false;
}

void TestStartup::languageChoice()
{
    QFETCH(QByteArray, config);
    QFETCH(bool, english);

    QTemporaryDir dir;
    if (!config.isNull()) {
        writeConfig(dir.path(), config);
    }
    QSettings settings(config::configPath(dir.path()), QSettings::IniFormat);
    QCOMPARE(config::wantsEnglish(config::configuredLanguage(settings)), english);
}

void TestStartup::englishTranslationReachesTheForms()
{
    QTemporaryDir dir;
    QVERIFY(QFile::copy(kBuiltAppDir + "/trans_en_US.qm", dir.path() + "/trans_en_US.qm"));

    QTranslator translator;
    QVERIFY(startup::installEnglish(translator, dir.path()));
    {
        ZentoWidget window;
        QCOMPARE(child<QPushButton>(&window, "pushButton_openDevice")->text(),
                 QStringLiteral("Open"));
        QCOMPARE(child<QPushButton>(&window, "pushButton_debug")->text(), QStringLiteral("Debug"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Optical Motorised Shutter"));
        QWidget *panel = window.findChild<QWidget *>(QStringLiteral("DevDebugWidget"));
        QVERIFY(panel);
        QCOMPARE(child<QPushButton>(panel, "pushButton_readDevName")->text(),
                 QStringLiteral("Read"));
    }
    QCoreApplication::removeTranslator(&translator);
}

void TestStartup::missingTranslationKeepsChinese()
{
    QTemporaryDir dir;
    QTranslator translator;
    QVERIFY(!startup::installEnglish(translator, dir.path()));
    {
        ZentoWidget window;
        QCOMPARE(child<QPushButton>(&window, "pushButton_openDevice")->text(), zh("打开设备"));
    }
    QCoreApplication::removeTranslator(&translator);
}

void TestStartup::missingFontKeepsTheDefault()
{
    const QFont before = QApplication::font();
    QTemporaryDir dir;
    QVERIFY(!startup::installFont(dir.path()));
    QCOMPARE(QApplication::font(), before);
}

void TestStartup::fontFileSetsFamilyAndPixelSize()
{
    const QString built = kBuiltAppDir + "/font.ttf";
    if (!QFile::exists(built)) {
        QSKIP("No font package was installed when the program was built");
    }
    const QFont before = QApplication::font();
    QTemporaryDir dir;
    QVERIFY(QFile::copy(built, dir.path() + "/font.ttf"));

    QVERIFY(startup::installFont(dir.path()));
    const int id = QFontDatabase::addApplicationFont(dir.path() + "/font.ttf");
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    QVERIFY(!families.isEmpty());
    QCOMPARE(QApplication::font().family(), families.first());
    QCOMPARE(QApplication::font().pixelSize(), 16);

    QApplication::setFont(before);
}

void TestStartup::debugSwitch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("debug");

    QTest::newRow("none") << QStringList{"Trova"} << false;
    QTest::newRow("-debug first") << QStringList{"Trova", "-debug"} << true;
    QTest::newRow("-debug then more") << QStringList{"Trova", "-debug", "x"} << true;
    QTest::newRow("-debug second") << QStringList{"Trova", "x", "-debug"} << false;
    QTest::newRow("-DEBUG") << QStringList{"Trova", "-DEBUG"} << false;
    QTest::newRow("-Debug") << QStringList{"Trova", "-Debug"} << false;
    QTest::newRow("-debug with suffix") << QStringList{"Trova", "-debugx"} << false;
    QTest::newRow("--debug") << QStringList{"Trova", "--debug"} << false;
}

void TestStartup::debugSwitch()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, debug);
    QCOMPARE(startup::debugRequested(arguments), debug);
}

void TestStartup::debugButtonShownWithTheWindow_data()
{
    debugSwitch_data();
}

void TestStartup::debugButtonShownWithTheWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, debug);

    ZentoWidget window;
    startup::showMainWindow(window, arguments);
    QVERIFY(window.isVisible());
    QCOMPARE(child<QPushButton>(&window, "pushButton_debug")->isVisible(), debug);
}

TROVA_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
