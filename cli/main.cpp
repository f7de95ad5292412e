// kivra: the shutter controller from the shell, over the library's exported
// functions.
#include "command.h"
#include "console.h"
#include "results.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct SubCommand
{
    const char *name;
    const char *summary;
    int (*run)(const QStringList &args);
};

const SubCommand kCommands[] = {
    {"ports", "list the serial ports (--details: what the system knows of each)",
     kivracli::runPorts},
    {"info", "print every parameter, the device name, serial number and firmware",
     kivracli::runInfo},
    {"get", "print parameters by name", kivracli::runGet},
    {"set", "set parameters by name", kivracli::runSet},
    {"shutter", "open or close the shutter", kivracli::runShutter},
    {"run", "start an automatic sequence (--wait: follow it to the end)", kivracli::runRun},
    {"watch", "print the state and frequency at each change", kivracli::runWatch},
    {"raw", "send a factory debug request", kivracli::runRaw},
};

// Commands for our own programs, left out of the help: the Python package
// asks why a port would not open, so that it says what the tool says.
const SubCommand kHiddenCommands[] = {
    {"diagnose", "say why a port cannot be opened", kivracli::runDiagnose},
};

void printUsage(FILE *out)
{
    std::fprintf(out, "Usage: kivra COMMAND [options] ARGUMENTS...\n"
                      "Drive a Kivra shutter controller on a serial port.\n\nCommands:\n");
    for (const SubCommand &command : kCommands) {
        std::fprintf(out, "  %-9s %s\n", command.name, command.summary);
    }
    std::fprintf(out, "\nOptions of every command:\n"
                      "  --json    print the result as JSON\n"
                      "  --trace   write every request and reply frame to standard error\n"
                      "  -h, --help  show the command's help\n"
                      "\nkivra COMMAND --help describes one command; kivra --version the "
                      "version.\nExit status: 0 success, 1 device failure, 2 usage error.\n");
}

// Whether --trace was asked for while the library's trace is still off.
bool traceWanted(char **argv)
{
    const char *set = std::getenv("KIVRA_TRACE");
    if (set && std::strcmp(set, "1") == 0) {
        return false;
    }
    for (char **arg = argv + 1; *arg; ++arg) {
        if (std::strcmp(*arg, "--") == 0) {
            return false;
        }
        if (std::strcmp(*arg, "--trace") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (traceWanted(argv)) {
        const int status = kivracli::restartTraced(argv);
        if (status >= 0) {
            return status;
        }
    }
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        printUsage(stderr);
        return kivracli::kExitUsage;
    }
    // The common options may also come before the command.
    QStringList common;
    while (!args.isEmpty() &&
           (args.first() == QLatin1String("--json") || args.first() == QLatin1String("--trace"))) {
        common.append(args.takeFirst());
    }
    if (args.isEmpty()) {
        printUsage(stderr);
        return kivracli::kExitUsage;
    }
    args = QStringList{args.first()} + common + args.mid(1);
    const QString first = args.first();
    if (first == QLatin1String("-h") || first == QLatin1String("--help") ||
        first == QLatin1String("help")) {
        printUsage(stdout);
        return kivracli::kExitOk;
    }
    if (first == QLatin1String("--version")) {
        std::printf("kivra %s\n", KIVRA_VERSION);
        return kivracli::kExitOk;
    }
    for (const SubCommand &command : kCommands) {
        if (first == QLatin1String(command.name)) {
            return command.run(args);
        }
    }
    for (const SubCommand &command : kHiddenCommands) {
        if (first == QLatin1String(command.name)) {
            return command.run(args);
        }
    }
    return kivracli::usageFailure("unknown command '" + first.toStdString() +
                                  "' (see: kivra --help)");
}
