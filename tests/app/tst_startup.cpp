// Start-up: the language choice in config.ini, the English translation, the
// application font and the -debug switch.
#include "trovatest.h"

#include "config.h"
#include "startup.h"
#include "zentowidget.h"

#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTranslator>

using trovatest::child;
using trovatest::zh;

namespace {
const QString kBuiltAppDir = QStringLiteral(TROVA_APP_BUILD_DIR);

// The compiled file is a 16-byte magic and then sections of a tag byte and a
// 32-bit big-endian length. Returns where the first record of the messages
// section keeps the upper bytes of its length, or -1.
int firstMessageFieldLength(const QByteArray &qm)
{
    constexpr int kMagicBytes = 16;
    constexpr char kMessagesTag = 0x69;
    constexpr int kSectionHead = 5;
    int pos = kMagicBytes;
    while (pos + kSectionHead <= qm.size()) {
        const auto byte = [&](int i) { return quint32(quint8(qm.at(pos + i))); };
        const quint32 length = byte(1) << 24 | byte(2) << 16 | byte(3) << 8 | byte(4);
        if (qm.at(pos) == kMessagesTag) {
            // Record: a tag byte, then its 32-bit length.
            return pos + kSectionHead + 1 + 1;
        }
        pos += kSectionHead + int(length);
    }
    return -1;
}

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
    void damagedTranslationKeepsChinese_data();
    void damagedTranslationKeepsChinese();
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

// Each row damages a copy of the built file the way a bad disk, a cut-off
// copy or a stray edit would.
void TestStartup::damagedTranslationKeepsChinese_data()
{
    QTest::addColumn<int>("offset"); // from the end when negative
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<int>("cut"); // bytes dropped from the end
    QTest::addColumn<QByteArray>("appended");

    QTest::newRow("2 bytes in the magic") << 0 << QByteArray("\x00\x00", 2) << 0 << QByteArray();
    QTest::newRow("2 bytes after the magic")
        << 17 << QByteArray("\xff\xff", 2) << 0 << QByteArray();
    QTest::newRow("2 bytes of a section length")
        << 18 << QByteArray("\x7f\xff", 2) << 0 << QByteArray();
    QTest::newRow("2 bytes of a message's length")
        << -3 << QByteArray("\xff\xff", 2) << 0 << QByteArray();
    QTest::newRow("2 bytes in the middle") << -1 << QByteArray("\xff\xff", 2) << 0 << QByteArray();
    QTest::newRow("2 bytes at the end") << -2 << QByteArray("\x00\x01", 2) << 0 << QByteArray();
    QTest::newRow("one byte short") << 0 << QByteArray() << 1 << QByteArray();
    QTest::newRow("half of it") << 0 << QByteArray() << -2 << QByteArray();
    QTest::newRow("one byte more") << 0 << QByteArray() << 0 << QByteArray("\0", 1);
    QTest::newRow("empty") << 0 << QByteArray() << -1 << QByteArray();
}

void TestStartup::damagedTranslationKeepsChinese()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, replacement);
    QFETCH(int, cut);
    QFETCH(QByteArray, appended);

    QFile built(kBuiltAppDir + "/trans_en_US.qm");
    QVERIFY(built.open(QIODevice::ReadOnly));
    QByteArray bytes = built.readAll();
    QVERIFY(bytes.size() > 64);
    const QByteArray original = bytes;
    // -1: the middle, -2: the last bytes, -3: the length of the first
    // message's first field, which the toolkit's reader follows unchecked.
    int at = offset == -1 ? bytes.size() / 2 : offset == -2 ? bytes.size() - 2 : offset;
    if (offset == -3) {
        at = firstMessageFieldLength(bytes);
        QVERIFY(at > 0);
    }
    if (!replacement.isEmpty()) {
        if (bytes.mid(at, replacement.size()) == replacement) {
            replacement[0] = char(~replacement[0]);
        }
        bytes.replace(at, replacement.size(), replacement);
    }
    // -1: all of it, -2: half of it.
    bytes.chop(cut == -1 ? bytes.size() : cut == -2 ? bytes.size() / 2 : cut);
    bytes += appended;
    QVERIFY2(bytes != original, "the row must change the file");

    QTemporaryDir dir;
    QFile damaged(dir.path() + "/trans_en_US.qm");
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    QCOMPARE(damaged.write(bytes), qint64(bytes.size()));
    damaged.close();

    QTranslator translator;
    QVERIFY(!startup::installEnglish(translator, dir.path()));
    {
        ZentoWidget window;
        QCOMPARE(child<QPushButton>(&window, "pushButton_openDevice")->text(), zh("打开设备"));
        QCOMPARE(window.windowTitle(), zh("光学电动快门"));
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
    // Every font the build may copy (app/CMakeLists.txt) is of this family.
    QCOMPARE(QApplication::font().family(), QStringLiteral("Droid Sans Fallback"));
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
