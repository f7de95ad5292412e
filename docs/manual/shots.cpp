// Draws every window and page of Trova into PNG files for the user manual,
// with the in-process simulated controller behind a private port directory,
// so the pictures show the real program talking to a device.
//
//   kivra-manual-shots <output dir> <zh|en> <program dir with font and qm>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTranslator>

#include <memory>

#include "config.h"
#include "devdebugwidget.h"
#include "settingswidget.h"
#include "simulator.h"
#include "startup.h"
#include "zentowidget.h"

namespace {

const char kPortName[] = "SIM1";
// Long enough for several monitor ticks (100 ms), so state and frequency show.
constexpr int kSettleMs = 250;

// Values a controller in use might hold rather than the factory defaults.
// Codes as the controller knows them.
void plantValues(kivrasim::Simulator &sim)
{
    sim.setParameter(0x03, 250);  // open time, ms
    sim.setParameter(0x04, 750);  // close time, ms
    sim.setParameter(0x05, 1000); // cycle count
    sim.setParameter(0x0B, 2);    // valve KD2-40
    sim.setParameter(0x06, 2);    // trigger in: falling edge
    sim.setParameter(0x1B, 2);    // IO2: trigger output
    sim.setParameter(0x08, 80);   // backlight
    sim.setParameter(0x09, 30);   // sleep after, min
    sim.setText(0xFE, "V2.0.3");
}

void settle()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kSettleMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

template <typename T> T *child(const QObject *parent, const char *name)
{
    return parent->findChild<T *>(QString::fromLatin1(name));
}

class Shooter
{
public:
    Shooter(const QString &dir, const QString &language) : dir_(dir), language_(language) {}
    void shoot(QWidget *widget, const char *name)
    {
        settle();
        const QString file = QDir(dir_).filePath(QString("%1-%2.png").arg(name, language_));
        if (!widget->grab().save(file)) {
            QTextStream(stderr) << "cannot write " << file << "\n";
            ok_ = false;
        }
    }
    bool ok() const { return ok_; }

private:
    QString dir_;
    QString language_;
    bool ok_ = true;
};

void click(const QObject *parent, const char *name)
{
    child<QAbstractButton>(parent, name)->click();
}

} // namespace

int main(int argc, char **argv)
{
    // The port directory must be set before the library or the window looks
    // for ports, and must be ours alone.
    QTemporaryDir portDir;
    qputenv("KIVRA_PORT_DIR", portDir.path().toLocal8Bit());

    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args.at(2) != "zh" && args.at(2) != "en")) {
        err << "usage: kivra-manual-shots <output dir> <zh|en> <program dir>\n";
        return 2;
    }
    const QString outDir = args.at(1);
    const bool english = args.at(2) == "en";
    const QString programDir = args.at(3);
    QDir().mkpath(outDir);

    QTranslator translator;
    if (english && !startup::installEnglish(translator, programDir)) {
        err << "cannot load the translation from " << programDir << "\n";
        return 1;
    }
    if (!startup::installFont(programDir)) {
        err << "cannot load font.ttf from " << programDir << "\n";
        return 1;
    }

    // The settings dialog reads its language from config.ini beside this
    // program when the main window builds it.
    const QString configFile = config::configPath(QCoreApplication::applicationDirPath());
    {
        QSettings settings(configFile, QSettings::IniFormat);
        settings.setValue("language/language", english ? "EN" : "CN");
    }

    kivrasim::Simulator sim;
    if (!sim.start(kPortName, portDir.path().toStdString())) {
        err << "simulator: " << QString::fromStdString(sim.lastError()) << "\n";
        return 1;
    }
    plantValues(sim);

    Shooter shooter(outDir, args.at(2));
    int status = 0;
    {
        ZentoWidget window;
        window.setDebugButtonVisible(false);
        window.show();
        shooter.shoot(&window, "main-closed");

        child<QPushButton>(&window, "pushButton_refreshDevList")->click();
        auto *ports = child<QComboBox>(&window, "comboBox_deviceList");
        ports->setCurrentIndex(ports->findText(kPortName));
        click(&window, "pushButton_openDevice");
        shooter.shoot(&window, "main-open");

        // An automatic sequence under way: mode, then run.
        click(&window, "radioButton_autoMode");
        click(&window, "pushButton_on");
        shooter.shoot(&window, "main-auto");

        click(&window, "pushButton_off");
        click(&window, "radioButton_manualMode");
        window.setDebugButtonVisible(true);
        shooter.shoot(&window, "main-debug");

        click(&window, "pushButton_settings");
        auto *dialog = window.findChild<SettingsWidget *>();
        const struct
        {
            const char *button;
            const char *name;
        } pages[] = {
            {"pushButton_runSettings", "settings-run"},
            {"pushButton_triggerSettings", "settings-trigger"},
            {"pushButton_lightSettings", "settings-light"},
            {"pushButton_language", "settings-language"},
            {"pushButton_about", "settings-about"},
        };
        for (const auto &page : pages) {
            click(dialog, page.button);
            shooter.shoot(dialog, page.name);
        }
        dialog->close();

        click(&window, "pushButton_debug");
        auto *panel = window.findChild<DevDebugWidget *>();
        click(panel, "pushButton_readDevName");
        click(panel, "pushButton_readSerial");
        child<QLineEdit>(panel, "lineEdit_PWMduty")->setText("60");
        click(panel, "pushButton_writePwmDuty");
        shooter.shoot(panel, "debug-panel");
        panel->close();
        status = shooter.ok() ? 0 : 1;
    }
    QFile::remove(configFile);
    return status;
}
