// kivrasim::Simulator for test programs under wine: the device runs in a
// kivra-sim process on the host, started with --control, and every method is
// one command on its control connection (simulator/control_posix.h). The
// controller is reached through the next COM port the wine prefix maps
// (winhost_win.h), so start() publishes under that name, whatever name it is
// given: portName() says which. Suites written against Simulator run
// unchanged on Linux (in-process) and here.
#include "simulator.h"

// Before anything that includes windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "options.h"
#include "winhost_win.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace winhost;

namespace kivrasim {

namespace {

constexpr const char *kLoopback = "127.0.0.1";
constexpr size_t kReadBytes = 4096;

std::string toHex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 0xF];
    }
    return hex;
}

std::vector<uint8_t> fromHex(const std::string &hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(uint8_t(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
    }
    return bytes;
}

std::string joined(const std::vector<std::string> &args)
{
    std::string line;
    for (const std::string &arg : args) {
        line += " " + arg;
    }
    return line;
}

} // namespace

struct Simulator::Impl
{
    HostSim sim;
    std::string error;
    Faults faults; // until start(): the faults the process starts with
    SOCKET socket = INVALID_SOCKET;
    std::string received;

    bool sendLine(const std::string &line)
    {
        const std::string text = line + "\n";
        size_t done = 0;
        while (done < text.size()) {
            const int n = ::send(socket, text.data() + done, int(text.size() - done), 0);
            if (n <= 0) {
                return false;
            }
            done += size_t(n);
        }
        return true;
    }

    bool readLine(std::string &line)
    {
        size_t end;
        while ((end = received.find('\n')) == std::string::npos) {
            char buffer[kReadBytes];
            const int n = ::recv(socket, buffer, int(sizeof buffer), 0);
            if (n <= 0) {
                return false;
            }
            received.append(buffer, size_t(n));
        }
        line = received.substr(0, end);
        received.erase(0, end + 1);
        return true;
    }

    // One command and its reply line; "" (with the reason on standard error,
    // where a failing test's output shows it) when the connection failed.
    std::string command(const std::string &line)
    {
        std::string reply;
        if (socket == INVALID_SOCKET || !sendLine(line) || !readLine(reply)) {
            std::fprintf(stderr, "Simulator: no answer to \"%s\" from %s\n", line.c_str(),
                         sim.link.c_str());
            return std::string();
        }
        if (reply.rfind("error ", 0) == 0) {
            std::fprintf(stderr, "Simulator: \"%s\": %s\n", line.c_str(), reply.c_str());
        }
        return reply;
    }

    bool connectControl()
    {
        std::ifstream file(sim.marker(".control"));
        int port = 0;
        std::string key;
        if (!(file >> port >> key)) {
            error = "no control file from " + sim.link;
            return false;
        }
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            error = "no winsock";
            return false;
        }
        socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(u_short(port));
        inet_pton(AF_INET, kLoopback, &address.sin_addr);
        std::string reply;
        if (socket == INVALID_SOCKET ||
            ::connect(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            !sendLine("key " + key) || !readLine(reply) || reply != "ok") {
            error = "the control connection of " + sim.link + " failed";
            return false;
        }
        return true;
    }

    void closeControl()
    {
        if (socket != INVALID_SOCKET) {
            closesocket(socket);
            socket = INVALID_SOCKET;
            WSACleanup();
        }
        received.clear();
    }
};

Simulator::Simulator() : d(new Impl) {}

Simulator::~Simulator()
{
    stop();
}

bool Simulator::start(const std::string &, const std::string &)
{
    stop();
    HostSim &sim = d->sim;
    if (!sim.reserve()) {
        d->error = "the KIVRA_WINSIM_* variables are not set";
        return false;
    }
    std::vector<std::string> arguments = {"--control", sim.dir + "/" + sim.link + ".control"};
    for (const std::string &arg : faultArguments(d->faults)) {
        arguments.push_back(arg);
    }
    if (!sim.start({"start"}, arguments)) {
        d->error = sim.link + " did not start (see " + sim.dir + "/" + sim.link + ".log)";
        return false;
    }
    if (!d->connectControl()) {
        stop();
        return false;
    }
    return true;
}

void Simulator::stop()
{
    d->closeControl();
    if (!d->sim.stop()) {
        std::fprintf(stderr, "Simulator: %s did not stop\n", d->sim.link.c_str());
    }
}

std::string Simulator::portName() const
{
    return d->sim.name;
}

std::string Simulator::linkPath() const
{
    return d->sim.dir + "/" + d->sim.link;
}

std::string Simulator::lastError() const
{
    return d->error;
}

bool Simulator::hungUp() const
{
    return d->command("hungup") == "1";
}

void Simulator::setFaults(const Faults &faults)
{
    d->faults = faults;
    if (d->sim.running) {
        d->command("faults" + joined(faultArguments(faults)));
    }
}

Faults Simulator::faults() const
{
    if (!d->sim.running) {
        return d->faults;
    }
    std::istringstream words(d->command("getfaults"));
    std::vector<std::string> args;
    for (std::string word; words >> word;) {
        args.push_back(word);
    }
    Options options;
    std::string error;
    parseOptions(args, options, error);
    return options.faults;
}

std::vector<std::vector<uint8_t>> Simulator::requests() const
{
    std::vector<std::vector<uint8_t>> frames;
    const int count = std::atoi(d->command("requests").c_str());
    std::string line;
    for (int i = 0; i < count && d->readLine(line); ++i) {
        frames.push_back(fromHex(line));
    }
    return frames;
}

void Simulator::clearRequests()
{
    d->command("clear");
}

int Simulator::exchangeCount() const
{
    return std::atoi(d->command("exchanges").c_str());
}

int32_t Simulator::parameter(uint16_t getCode) const
{
    return int32_t(std::strtol(d->command("get " + std::to_string(getCode)).c_str(), nullptr, 10));
}

float Simulator::frequency() const
{
    return std::strtof(d->command("frequency").c_str(), nullptr);
}

void Simulator::setParameter(uint16_t setCode, int32_t v)
{
    d->command("set " + std::to_string(setCode) + " " + std::to_string(v));
}

std::string Simulator::text(uint16_t readCode) const
{
    const std::vector<uint8_t> bytes = fromHex(d->command("text " + std::to_string(readCode)));
    return std::string(bytes.begin(), bytes.end());
}

void Simulator::setText(uint16_t readCode, const std::string &value)
{
    d->command("settext " + std::to_string(readCode) + " " + toHex(value));
}

int32_t Simulator::tuning(uint16_t code) const
{
    return int32_t(std::strtol(d->command("tuning " + std::to_string(code)).c_str(), nullptr, 10));
}

void Simulator::trigger()
{
    d->command("trigger");
}

} // namespace kivrasim
