// Trova's costs on the user-interface thread: the time from process start to
// the first shown main window, and the share of each 100 ms monitor tick that
// the monitor's two exchanges take against the simulated controller sending
// at the real line rate, and against a silent controller with the ticks 100 ms
// apart as the program's timer spaces them (what one exchange leaves pending
// then falls on the next). Prints its figures; run by hand (it is not a test).
//
// Usage: bench_monitor [ticks] [--silent]   (default 300 ticks)
#include "config.h"
#include "simulator.h"
#include "startup.h"
#include "zentowidget.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {
constexpr int kDefaultTicks = 300;
constexpr int kWarmUpTicks = 10;
constexpr double kTickMs = 100.0;
constexpr double kNsPerMs = 1e6;
constexpr double kPercent = 100.0;
constexpr double kP99 = 0.99;

double percentile(std::vector<double> sorted, double share)
{
    std::sort(sorted.begin(), sorted.end());
    const size_t at = std::min(sorted.size() - 1, size_t(share * double(sorted.size())));
    return sorted[at];
}
} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();

    int ticks = kDefaultTicks;
    bool silent = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--silent") == 0) {
            silent = true;
        } else {
            ticks = std::max(1, std::atoi(argv[i]));
        }
    }
    QTemporaryDir portDir;
    qputenv("KIVRA_PORT_DIR", portDir.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    // The program's own start-up steps on its build directory, English
    // included, so the real font and translation files are loaded.
    QApplication app(argc, argv);
    const QString appDir = QStringLiteral(TROVA_APP_BUILD_DIR);
    QTranslator translator;
    QSettings settings(config::configPath(appDir), QSettings::IniFormat);
    startup::installEnglish(translator, appDir);
    startup::installFont(appDir);
    ZentoWidget window;
    startup::showMainWindow(window, QCoreApplication::arguments());
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    const double startMs = double(sinceStart.nsecsElapsed()) / kNsPerMs;

    kivrasim::Simulator sim;
    kivrasim::Faults faults;
    faults.lineRate = true;
    sim.setFaults(faults);
    if (!sim.start("SIM1", portDir.path().toStdString())) {
        std::fprintf(stderr, "simulator: %s\n", sim.lastError().c_str());
        return 1;
    }
    window.findChild<QPushButton *>(QStringLiteral("pushButton_refreshDevList"))->click();
    auto *ports = window.findChild<QComboBox *>(QStringLiteral("comboBox_deviceList"));
    ports->setCurrentIndex(ports->findText(QString::fromStdString(sim.portName())));
    window.findChild<QPushButton *>(QStringLiteral("pushButton_openDevice"))->click();
    // The open reads the device, so the controller falls silent only after.
    faults.silent = silent;
    sim.setFaults(faults);

    for (int i = 0; i < kWarmUpTicks; ++i) {
        window.slot_MonitorTimeout();
    }
    const int exchangesBefore = sim.exchangeCount();
    std::vector<double> ms;
    ms.reserve(size_t(ticks));
    QElapsedTimer tick;
    const auto tickPeriod = std::chrono::milliseconds(int(kTickMs));
    auto nextTick = std::chrono::steady_clock::now();
    for (int i = 0; i < ticks; ++i) {
        if (silent) {
            // A late tick fires at once, as a timer behind its schedule does.
            std::this_thread::sleep_until(nextTick);
            nextTick = std::max(nextTick + tickPeriod, std::chrono::steady_clock::now());
        }
        tick.start();
        window.slot_MonitorTimeout();
        ms.push_back(double(tick.nsecsElapsed()) / kNsPerMs);
    }
    const int exchanges = sim.exchangeCount() - exchangesBefore;

    double sum = 0.0;
    for (double v : ms) {
        sum += v;
    }
    const double mean = sum / double(ms.size());
    std::printf("start to first shown window: %.1f ms (platform %s)\n", startMs,
                qPrintable(QGuiApplication::platformName()));
    std::printf("monitor tick, %s simulator, %d ticks, %d requests received:\n",
                silent ? "silent" : "line-rate", ticks, exchanges);
    std::printf("  mean %.2f ms, median %.2f ms, p99 %.2f ms\n", mean, percentile(ms, 0.5),
                percentile(ms, kP99));
    std::printf("  share of each %.0f ms tick: mean %.1f %%, p99 %.1f %%\n", kTickMs,
                mean / kTickMs * kPercent, percentile(ms, kP99) / kTickMs * kPercent);
    return exchanges == 2 * ticks ? 0 : 1;
}
