#include "startup.h"

#include "zentowidget.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QTranslator>

namespace {
constexpr char kTranslationFile[] = "/trans_en_US.qm";
constexpr char kFontFile[] = "/font.ttf";
constexpr char kDebugSwitch[] = "-debug";
constexpr int kFontPixelSize = 16;
} // namespace

namespace startup {

bool installEnglish(QTranslator &translator, const QString &appDir)
{
    const bool loaded = translator.load(appDir + QLatin1String(kTranslationFile));
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
