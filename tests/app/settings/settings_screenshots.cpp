// Draws every page of the settings dialog into PNG files, with a simulated
// controller behind it, for the documentation. Not a test: run it through
// scripts/screenshots-settings.sh.
//
//   settings-screenshots <output dir> <cn|en> <trans_en_US.qm> <font.ttf>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QPushButton>
#include <QSettings>
#include <QTextStream>
#include <QTranslator>

#include "settingswidget.h"
#include "simdevice.h"

namespace {

constexpr int kFontPixelSize = 16;
constexpr int kDialogX = 40;
constexpr int kDialogY = 40;

struct Shot
{
    const char *button; // left button that shows the page
    const char *name;
};

const Shot kShots[] = {
    {"pushButton_runSettings", "run"},     {"pushButton_triggerSettings", "trigger"},
    {"pushButton_lightSettings", "light"}, {"pushButton_language", "language"},
    {"pushButton_about", "about"},
};

void useFont(const QString &path)
{
    const QStringList families =
        QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(path));
    if (families.isEmpty())
        return;
    QFont font = QApplication::font();
    font.setFamily(families.first());
    font.setPixelSize(kFontPixelSize);
    QApplication::setFont(font);
}

// Values a controller in use might hold, rather than the factory defaults.
void plantValues(kivrasim::Simulator &sim)
{
    sim.setParameter(code::kSetOnTime, 250);
    sim.setParameter(code::kSetOffTime, 750);
    sim.setParameter(code::kSetCycleCount, 100);
    sim.setParameter(code::kSetValveType, 2);
    sim.setParameter(code::kSetInitialState, 2);
    sim.setParameter(code::kSetTriggerIn, 2);
    sim.setParameter(code::kSetIO2Mode, 2);
    sim.setParameter(code::kSetLightLevel, 80);
    sim.setParameter(code::kSetLightTimeOut, 30);
    sim.setText(code::kReadVersion, "V2.0.3");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(trova);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 5 || (args.at(2) != "cn" && args.at(2) != "en")) {
        err << "usage: settings-screenshots <output dir> <cn|en> <qm file> <font file>\n";
        return 2;
    }
    const QString outDir = args.at(1);
    const QString language = args.at(2);

    QTranslator translator;
    if (language == "en") {
        if (!translator.load(args.at(3))) {
            err << "cannot load " << args.at(3) << "\n";
            return 1;
        }
        QCoreApplication::installTranslator(&translator);
    }
    useFont(args.at(4));

    // The dialog takes its language from config.ini beside this program.
    const QString config = QCoreApplication::applicationDirPath() + "/config.ini";
    {
        QSettings settings(config, QSettings::IniFormat);
        settings.setValue("language/language", language == "en" ? "EN" : "CN");
    }

    SimDevice device;
    if (!device.open()) {
        err << "simulator: " << device.error() << "\n";
        return 1;
    }
    plantValues(device.sim());

    SettingsWidget dialog;
    dialog.setDevHandle(device.handle());
    dialog.move(kDialogX, kDialogY);
    dialog.show();
    dialog.showRunSettings();

    int status = 0;
    for (const Shot &shot : kShots) {
        dialog.findChild<QPushButton *>(shot.button)->click();
        QApplication::processEvents();
        const QString file =
            QDir(outDir).filePath(QString("settings-%1-%2.png").arg(shot.name, language));
        if (!dialog.grab().save(file)) {
            err << "cannot write " << file << "\n";
            status = 1;
        }
    }
    QFile::remove(config);
    return status;
}
