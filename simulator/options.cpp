#include "options.h"

#include "neturl.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

namespace kivrasim {

const char *const kUsage =
    "usage: kivra-sim [--name NAME] [--port-dir DIR] [--listen HOST:PORT] [--verbose]\n"
    "                 [--control FILE] [fault options]\n"
    "Simulated shutter controller, published as a port: on a pseudo-terminal,\n"
    "or on Windows a TCP port on the loopback interface (socket://).\n"
    "  --name NAME        port name (default SIM1)\n"
    "  --port-dir DIR     virtual-port directory (default $KIVRA_PORT_DIR,\n"
    "                     else $XDG_RUNTIME_DIR/kivra-ports, else /tmp/kivra-ports-<uid>;\n"
    "                     on Windows %KIVRA_PORT_DIR%, else %LOCALAPPDATA%\\Kivra\\ports)\n"
    "  --listen HOST:PORT serve a TCP port instead (port 0: any free one), one host\n"
    "                     at a time, as a serial server does (socket://)\n"
    "  --verbose          one line per exchange\n"
    "Faults:\n"
    "  --silent           read requests, answer nothing\n"
    "  --delay MS         answer every request MS milliseconds late\n"
    "  --late-always MS   the same as --delay MS\n"
    "  --late-once MS     answer only the first request MS milliseconds late\n"
    "  --chunk N          send replies in pieces of N bytes\n"
    "  --chunk-gap MS     pause between pieces\n"
    "  --corrupt FIELD    spoil start, status, length or check (repeatable)\n"
    "  --status238        answer good requests with status 238\n"
    "  --line-rate        pace bytes as 115200 baud 8N2\n"
    "  --drop-after N     hang up the port after N exchanges\n"
    "Control (for tests on another system, such as Windows programs under wine):\n"
    "  --control FILE     take commands on a loopback TCP port; FILE gets the\n"
    "                     port and the key a client must send first (mode 600)\n"
    "External trigger: type a line on standard input (or, on POSIX, send SIGUSR1).\n";

namespace {

constexpr uint16_t kStatus238 = 238;

bool parseCount(const std::string &text, int &value)
{
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char *end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < 0 || v > INT_MAX) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

bool setCorruption(const std::string &field, Faults &f)
{
    if (field == "start") {
        f.corruptStart = true;
    } else if (field == "status") {
        f.corruptStatus = true;
    } else if (field == "length") {
        f.corruptLength = true;
    } else if (field == "check") {
        f.corruptCheck = true;
    } else {
        return false;
    }
    return true;
}

} // namespace

bool parseListenAddress(const std::string &text, std::string &host, uint16_t &port)
{
    return kivra::parseHostAndPort(text, &host, &port);
}

bool parseOptions(const std::vector<std::string> &args, Options &options, std::string &error)
{
    Faults &f = options.faults;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? args[i + 1] : std::string();
        auto count = [&](int &target) {
            if (!hasValue || !parseCount(value, target)) {
                error = arg + " needs a number of 0 or more";
                return false;
            }
            ++i;
            return true;
        };
        auto text = [&](std::string &target) {
            if (!hasValue || value.empty()) {
                error = arg + " needs a value";
                return false;
            }
            target = value;
            ++i;
            return true;
        };
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--name") {
            ok = text(options.name);
        } else if (arg == "--port-dir") {
            ok = text(options.portDir);
        } else if (arg == "--control") {
            ok = text(options.controlFile);
        } else if (arg == "--listen") {
            std::string host;
            uint16_t port = 0;
            ok = text(options.listen) && parseListenAddress(options.listen, host, port);
            if (!ok) {
                error = "--listen needs HOST:PORT (an IPv6 address in brackets)";
            }
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--silent") {
            f.silent = true;
        } else if (arg == "--delay" || arg == "--late-always") {
            ok = count(f.replyDelayMs);
        } else if (arg == "--late-once") {
            ok = count(f.lateOnceMs);
        } else if (arg == "--chunk") {
            ok = count(f.chunkBytes);
        } else if (arg == "--chunk-gap") {
            ok = count(f.chunkGapMs);
        } else if (arg == "--corrupt") {
            std::string field;
            ok = text(field) && setCorruption(field, f);
            if (!ok) {
                error = "--corrupt needs start, status, length or check";
            }
        } else if (arg == "--status238") {
            f.okStatus = kStatus238;
        } else if (arg == "--line-rate") {
            f.lineRate = true;
        } else if (arg == "--drop-after") {
            ok = count(f.dropAfter);
        } else {
            error = "unknown option " + arg;
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> faultArguments(const Faults &f)
{
    std::vector<std::string> args;
    const auto add = [&args](const char *option, int value) {
        args.push_back(option);
        args.push_back(std::to_string(value));
    };
    if (f.silent) {
        args.push_back("--silent");
    }
    if (f.replyDelayMs > 0) {
        add("--delay", f.replyDelayMs);
    }
    if (f.lateOnceMs > 0) {
        add("--late-once", f.lateOnceMs);
    }
    if (f.chunkBytes > 0) {
        add("--chunk", f.chunkBytes);
    }
    if (f.chunkGapMs > 0) {
        add("--chunk-gap", f.chunkGapMs);
    }
    const std::pair<bool, const char *> corruptions[] = {{f.corruptStart, "start"},
                                                         {f.corruptStatus, "status"},
                                                         {f.corruptLength, "length"},
                                                         {f.corruptCheck, "check"}};
    for (const auto &corruption : corruptions) {
        if (corruption.first) {
            args.push_back("--corrupt");
            args.push_back(corruption.second);
        }
    }
    if (f.lineRate) {
        args.push_back("--line-rate");
    }
    if (f.dropAfter >= 0) {
        add("--drop-after", f.dropAfter);
    }
    if (f.okStatus == kStatus238) {
        args.push_back("--status238");
    }
    return args;
}

} // namespace kivrasim
