#include "config.h"
#include "startup.h"
#include "zentowidget.h"

#include <QApplication>
#include <QSettings>
#include <QTranslator>

int main(int argc, char *argv[])
{
    startup::configureDisplayScaling();
    QApplication app(argc, argv);
    QTranslator translator;
    const QString appDir = QCoreApplication::applicationDirPath();

    QSettings settings(config::locateForApplication().readPath, QSettings::IniFormat);
    // The translator goes in before any widget exists, so every form is built
    // with its texts already translated; likewise the font.
    if (config::wantsEnglish(config::configuredLanguage(settings))) {
        startup::installEnglish(translator, appDir);
    }
    startup::installFont(appDir);

    int result = 0;
    {
        ZentoWidget window;
        startup::showMainWindow(window, QCoreApplication::arguments());
        result = app.exec();
    }
    return result;
}
