// shutter, run and watch: driving the shutter and following it.
#include "command.h"
#include "console.h"
#include "params.h"
#include "results.h"

#include <KivraLibrary.h>

#include <QJsonObject>

#include <chrono>
#include <cstdio>
#include <thread>

namespace kivracli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(100); // the program's monitor tick
constexpr int kBarWidth = 30;
constexpr double kMsPerSecond = 1000.0;

// Sleeps one poll interval in short steps, so an interrupt is seen at once.
void waitOneTick()
{
    const auto until = Clock::now() + kPollInterval;
    while (!interrupted() && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void drawBar(long long done, long long total, double elapsed)
{
    const int filled = total > 0 ? static_cast<int>(kBarWidth * done / total) : 0;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(kBarWidth, '.');
    std::fprintf(stderr, "\r[%s] %lld/%lld cycles  %.1f s", bar.c_str(), done, total, elapsed);
    std::fflush(stderr);
}

// Reads a run parameter not given on the command line.
int readParam(int handle, const char *name, int *value)
{
    *value = kivra::bindingNamed(name)->get(handle);
    return *value < 0 ? deviceFailure(std::string("get ") + name, *value) : kExitOk;
}

} // namespace

int runShutter(const QStringList &args)
{
    CommandLine line(QStringLiteral("kivra shutter [options] PORT open|close"),
                     QStringLiteral("Open or close the shutter."));
    const int parsed = line.parse(args, 2, 2);
    if (parsed >= 0) {
        return parsed;
    }
    const QString action = line.parser.positionalArguments().at(1);
    int state = 0;
    if (action == QLatin1String("open")) {
        state = KIVRA_STATE_OPEN;
    } else if (action == QLatin1String("close") || action == QLatin1String("closed")) {
        state = KIVRA_STATE_CLOSED;
    } else {
        return usageFailure("'" + action.toStdString() + "' is not open or close");
    }
    Device device;
    if (device.open(line.parser.positionalArguments().at(0)) != kExitOk) {
        return kExitDevice;
    }
    const int result = setShutterState(device.handle(), state);
    if (result < 0) {
        return deviceFailure("shutter " + action.toStdString(), result);
    }
    if (line.json()) {
        const char *word = kivraValueWord(kivraParameter(KIVRA_PARAM_STATE), state);
        printJson(QJsonObject{{QStringLiteral("state"), QString::fromUtf8(word)}});
    }
    return kExitOk;
}

int runRun(const QStringList &args)
{
    CommandLine line(QStringLiteral("kivra run [options] PORT"),
                     QStringLiteral("Set automatic mode and the given times and count, then "
                                    "start the sequence."));
    const QCommandLineOption on(QStringLiteral("on"), QStringLiteral("Open time in ms."),
                                QStringLiteral("MS"));
    const QCommandLineOption off(QStringLiteral("off"), QStringLiteral("Close time in ms."),
                                 QStringLiteral("MS"));
    const QCommandLineOption cycles(QStringLiteral("cycles"), QStringLiteral("Number of cycles."),
                                    QStringLiteral("N"));
    const QCommandLineOption wait(QStringLiteral("wait"),
                                  QStringLiteral("Wait until the frequency reads 0, with a "
                                                 "progress bar on a terminal; Ctrl-C closes "
                                                 "the shutter and stops."));
    line.parser.addOptions({on, off, cycles, wait});
    const int parsed = line.parse(args, 1, 1);
    if (parsed >= 0) {
        return parsed;
    }
    struct Given
    {
        const QCommandLineOption &option;
        const char *name;
        int value;
        bool set;
    } given[] = {
        {on, "on-time", 0, false}, {off, "off-time", 0, false}, {cycles, "cycles", 0, false}};
    for (Given &g : given) {
        if (!line.parser.isSet(g.option)) {
            continue;
        }
        std::string error;
        if (!parseArgument(kivra::bindingNamed(g.name)->parameter(),
                           line.parser.value(g.option).toStdString(), &g.value, &error)) {
            return usageFailure(error);
        }
        g.set = true;
    }
    Device device;
    if (device.open(line.parser.positionalArguments().at(0)) != kExitOk) {
        return kExitDevice;
    }
    const int handle = device.handle();
    int result = setShutterMode(handle, KIVRA_MODE_AUTO);
    if (result < 0) {
        return deviceFailure("set mode auto", result);
    }
    for (Given &g : given) {
        if (g.set) {
            result = kivra::bindingNamed(g.name)->set(handle, g.value);
            if (result < 0) {
                return deviceFailure(std::string("set ") + g.name, result);
            }
        } else if (const int status = readParam(handle, g.name, &g.value)) {
            return status;
        }
    }
    catchInterrupts();
    result = setShutterState(handle, KIVRA_STATE_OPEN);
    if (result < 0) {
        return deviceFailure("start the run", result);
    }
    const auto start = Clock::now();
    const double periodMs = given[0].value + given[1].value;
    const long long total = given[2].value;
    const bool bar = line.parser.isSet(wait) && stderrIsTerminal();
    if (line.parser.isSet(wait)) {
        // From here on Ctrl-C closes the shutter; a caller may wait for this.
        std::fprintf(stderr, "kivra: run started; Ctrl-C closes the shutter and stops\n");
        while (!interrupted()) {
            const float hz = getFrequency(handle);
            if (hz < 0) {
                if (bar) {
                    std::fputc('\n', stderr);
                }
                return deviceFailure("get frequency", static_cast<int>(hz));
            }
            if (hz == 0) {
                break;
            }
            if (bar) {
                const long long done =
                    static_cast<long long>(secondsSince(start) * kMsPerSecond / periodMs);
                drawBar(done < total ? done : total, total, secondsSince(start));
            }
            waitOneTick();
        }
        if (bar) {
            drawBar(interrupted() ? 0 : total, total, secondsSince(start));
            std::fputc('\n', stderr);
        }
    }
    if (interrupted()) {
        result = setShutterState(handle, KIVRA_STATE_CLOSED);
        if (result < 0) {
            return deviceFailure("stop the run (close the shutter)", result);
        }
        std::fprintf(stderr, "kivra: run stopped, shutter closed\n");
        return kExitInterrupted;
    }
    if (line.json()) {
        printJson(QJsonObject{{QStringLiteral("on-time"), given[0].value},
                              {QStringLiteral("off-time"), given[1].value},
                              {QStringLiteral("cycles"), given[2].value},
                              {QStringLiteral("finished"), line.parser.isSet(wait)},
                              {QStringLiteral("seconds"), secondsSince(start)}});
    }
    return kExitOk;
}

int runWatch(const QStringList &args)
{
    CommandLine line(QStringLiteral("kivra watch [options] PORT"),
                     QStringLiteral("Poll the shutter state and frequency every 100 ms and print "
                                    "a line at each change, until Ctrl-C."));
    const int parsed = line.parse(args, 1, 1);
    if (parsed >= 0) {
        return parsed;
    }
    Device device;
    if (device.open(line.parser.positionalArguments().at(0)) != kExitOk) {
        return kExitDevice;
    }
    catchInterrupts();
    const kivra::Binding &stateBinding = *kivra::binding(KIVRA_PARAM_STATE);
    const auto start = Clock::now();
    int lastState = 0;
    float lastHz = -1;
    while (!interrupted()) {
        const int state = stateBinding.get(device.handle());
        if (state < 0) {
            return deviceFailure("get state", state);
        }
        const float hz = getFrequency(device.handle());
        if (hz < 0) {
            return deviceFailure("get frequency", static_cast<int>(hz));
        }
        if (state != lastState || hz != lastHz) {
            lastState = state;
            lastHz = hz;
            const QString stateText =
                QString::fromStdString(kivra::formatValue(stateBinding.parameter(), state));
            if (line.json()) {
                printJson(QJsonObject{{QStringLiteral("time"), secondsSince(start)},
                                      {QStringLiteral("state"), stateText},
                                      {QStringLiteral("frequency"), static_cast<double>(hz)}});
            } else {
                std::printf("%.3f %s %g Hz\n", secondsSince(start), stateText.toUtf8().constData(),
                            static_cast<double>(hz));
                std::fflush(stdout);
            }
        }
        waitOneTick();
    }
    return kExitOk;
}

} // namespace kivracli
