// The about page's two help links, followed as the dialog follows them,
// must reach the manual and the SDK in the help folder beside the program.
#include "trovatest.h"

#include "settingswidget.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

using namespace trovatest;

namespace {

// The link target a label reports when clicked: the anchor of its rich text.
QString linkTarget(const QLabel *label)
{
    QTextDocument doc;
    doc.setHtml(label->text());
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isAnchor())
                return it.fragment().charFormat().anchorHref();
        }
    }
    return QString();
}

} // namespace

// Stands in for the desktop's handler of local files.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestHelpLinks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void linkReachesHelp_data();
    void linkReachesHelp();
    void sdkHoldsHeaderLibrariesAndReference();

private:
    UrlCatcher catcher;
    const QString helpDir = QStringLiteral(TROVA_APP_BUILD_DIR "/help");
};

void TestHelpLinks::initTestCase()
{
    QDesktopServices::setUrlHandler("file", &catcher, "open");
}

void TestHelpLinks::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler("file");
}

void TestHelpLinks::linkReachesHelp_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("target"); // below the help folder
    QTest::addColumn<bool>("folder");
    QTest::newRow("manual") << "label_softManual" << zh("Kivra软件使用说明书.pdf") << false;
    QTest::newRow("sdk") << "label_openSDK"
                         << "SDK" << true;
}

void TestHelpLinks::linkReachesHelp()
{
    QFETCH(QString, label);
    QFETCH(QString, target);
    QFETCH(bool, folder);

    SettingsWidget dialog;
    auto *link = dialog.findChild<QLabel *>(label);
    QVERIFY(link);
    const QString href = linkTarget(link);
    QVERIFY2(!href.isEmpty(), qPrintable(link->text()));

    catcher.urls.clear();
    emit link->linkActivated(href);
    QCOMPARE(catcher.urls.size(), 1);
    const QUrl url = catcher.urls.first();
    QVERIFY(url.isLocalFile());

    // The dialog opens the path below the program's own folder; the same
    // path below the built program must exist and be what it claims.
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString path = url.toLocalFile();
    QVERIFY2(path.startsWith(appDir + "/help/"), qPrintable(path));
    const QString relative = path.mid(appDir.size() + QStringLiteral("/help/").size());
    QCOMPARE(relative, target);
    const QFileInfo built(helpDir + '/' + relative);
    QVERIFY2(built.exists(), qPrintable(built.filePath()));
    QCOMPARE(built.isDir(), folder);
    if (!folder) {
        QFile pdf(built.filePath());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
    }
}

void TestHelpLinks::sdkHoldsHeaderLibrariesAndReference()
{
    const QDir sdk(helpDir + "/SDK");
    const char *const expected[] = {
        "include/KivraLibrary.h",
        "lib/libKivraLibrary.so",
        "lib/reduced/libKivraLibrary.so",
        "KivraLibrary-API-Reference.pdf",
        "examples/c/shutter_sequence.c",
        "examples/cpp/shutter_sequence.cpp",
        "examples/python/shutter_sequence.py",
        "examples/csharp/ShutterSequence.cs",
    };
    for (const char *file : expected)
        QVERIFY2(QFileInfo(sdk.filePath(file)).isFile(), file);
    QVERIFY(QFileInfo(helpDir + "/Kivra-User-Manual-en.pdf").isFile());
}

TROVA_TEST_MAIN(TestHelpLinks)
#include "tst_helplinks.moc"
