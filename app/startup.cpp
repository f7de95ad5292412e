#include "startup.h"

#include "translationcheck.h"
#include "zentowidget.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QTranslator>

#include <utility>

namespace {
constexpr char kTranslationFile[] = "/trans_en_US.qm";
constexpr char kFontFile[] = "/font.ttf";
constexpr char kDebugSwitch[] = "-debug";
constexpr int kFontPixelSize = 16;

// The checked bytes themselves are what the translator reads (it does not
// copy them), so the file cannot change between the check and the load. They
// live as long as the translator.
class TranslationBytes : public QObject
{
public:
    TranslationBytes(QByteArray contents, QObject *owner)
        : QObject(owner), bytes(std::move(contents))
    {
    }
    const QByteArray bytes;
};

QByteArray readTranslation(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > startup::kMaxTranslationBytes) {
        return QByteArray();
    }
    return file.read(startup::kMaxTranslationBytes + 1);
}
} // namespace

namespace startup {

void configureDisplayScaling()
{
    // Qt 5 scales nothing unless asked: the fixed-size window would stay its
    // designed size in device pixels, half of it at 200 %, with only some
    // texts grown.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

bool installEnglish(QTranslator &translator, const QString &appDir)
{
    // A file that fails the check is treated as a missing one: the empty
    // translator leaves every text in Chinese.
    const QByteArray contents = readTranslation(appDir + QLatin1String(kTranslationFile));
    bool loaded = false;
    if (!contents.isEmpty() && translationIntact(contents)) {
        const auto *held = new TranslationBytes(contents, &translator);
        loaded = translator.load(reinterpret_cast<const uchar *>(held->bytes.constData()),
                                 held->bytes.size());
    }
    QCoreApplication::installTranslator(&translator);
    return loaded;
}

bool installFont(const QString &appDir)
{
    const int id = QFontDatabase::addApplicationFont(appDir + QLatin1String(kFontFile));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        return false;
    }
    QFont font = QApplication::font();
    font.setFamily(families.first());
    font.setPixelSize(kFontPixelSize);
    QApplication::setFont(font);
    return true;
}

bool debugRequested(const QStringList &arguments)
{
    return arguments.size() > 1 && arguments.at(1) == QLatin1String(kDebugSwitch);
}

void showMainWindow(ZentoWidget &window, const QStringList &arguments)
{
    window.setDebugButtonVisible(false);
    window.show();
    if (debugRequested(arguments)) {
        window.setDebugButtonVisible(true);
    }
}

} // namespace startup
