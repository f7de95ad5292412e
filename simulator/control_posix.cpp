#include "control_posix.h"

#include "options.h"
#include "simulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kivrasim {

namespace {

constexpr size_t kKeyBytes = 16;
// A line longer than any command is not a client of ours.
constexpr size_t kMaxLineBytes = 4096;
constexpr size_t kReadBytes = 512;
constexpr int kMaxCode = 0xFFFF;

std::string toHex(const uint8_t *bytes, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 0xF];
    }
    return hex;
}

int nibble(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool fromHex(const std::string &hex, std::string &bytes)
{
    bytes.clear();
    if (hex.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]);
        const int low = nibble(hex[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes += static_cast<char>(high << 4 | low);
    }
    return true;
}

bool readCode(std::istringstream &in, uint16_t &code)
{
    int value = -1;
    if (!(in >> value) || value < 0 || value > kMaxCode) {
        return false;
    }
    code = static_cast<uint16_t>(value);
    return true;
}

bool writeAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += size_t(n);
    }
    return true;
}

} // namespace

ControlServer::ControlServer(Simulator &simulator) : sim(simulator) {}

ControlServer::~ControlServer()
{
    dropClient();
    if (listenFd >= 0) {
        ::close(listenFd);
        ::unlink(file.c_str());
    }
}

bool ControlServer::start(const std::string &path, std::string &error)
{
    uint8_t raw[kKeyBytes];
    if (::getrandom(raw, sizeof raw, 0) != ssize_t(sizeof raw)) {
        error = "control: no random key";
        return false;
    }
    key = toHex(raw, sizeof raw);

    listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd < 0 || ::bind(listenFd, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(listenFd, 1) != 0 ||
        ::getsockname(listenFd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        error = std::string("control: cannot listen: ") + std::strerror(errno);
        return false;
    }

    const std::string aside = path + ".tmp";
    const int fd = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::string contents = std::to_string(ntohs(address.sin_port)) + " " + key + "\n";
    const bool written = fd >= 0 && ::fchmod(fd, 0600) == 0 &&
                         ::write(fd, contents.data(), contents.size()) == ssize_t(contents.size());
    if (fd >= 0) {
        ::close(fd);
    }
    if (!written || ::rename(aside.c_str(), path.c_str()) != 0) {
        error = "control: cannot write " + path;
        ::unlink(aside.c_str());
        return false;
    }
    file = path;
    return true;
}

void ControlServer::pollFds(pollfd &listening, pollfd &client) const
{
    // One client at a time: the next waits in the backlog.
    listening = {clientFd < 0 ? listenFd : -1, POLLIN, 0};
    client = {clientFd, POLLIN, 0};
}

void ControlServer::handle(const pollfd &listening, const pollfd &client)
{
    if (client.fd >= 0 && (client.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL))) {
        serveClient();
    }
    if (listening.fd >= 0 && (listening.revents & POLLIN) && clientFd < 0) {
        clientFd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        authorised = false;
        pending.clear();
    }
}

void ControlServer::dropClient()
{
    if (clientFd >= 0) {
        ::close(clientFd);
    }
    clientFd = -1;
    authorised = false;
    pending.clear();
}

void ControlServer::serveClient()
{
    char buffer[kReadBytes];
    const ssize_t n = ::read(clientFd, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && errno == EINTR) {
            return;
        }
        dropClient();
        return;
    }
    pending.append(buffer, size_t(n));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!authorised) {
            // The wrong key ends the connection without a word.
            if (line != "key " + key) {
                dropClient();
                return;
            }
            authorised = true;
            if (!writeAll(clientFd, "ok\n")) {
                dropClient();
                return;
            }
            continue;
        }
        if (!writeAll(clientFd, execute(line) + "\n")) {
            dropClient();
            return;
        }
    }
    if (pending.size() > kMaxLineBytes) {
        dropClient();
    }
}

std::string ControlServer::execute(const std::string &line)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    uint16_t code = 0;
    if (command == "set" || command == "settext") {
        int32_t value = 0;
        std::string hex;
        std::string bytes;
        if (!readCode(in, code)) {
            return "error bad code";
        }
        if (command == "set") {
            if (!(in >> value)) {
                return "error bad value";
            }
            sim.setParameter(code, value);
            return "ok";
        }
        in >> hex;
        if (!fromHex(hex, bytes)) {
            return "error bad hex";
        }
        sim.setText(code, bytes);
        return "ok";
    }
    if (command == "get" || command == "text" || command == "tuning") {
        if (!readCode(in, code)) {
            return "error bad code";
        }
        if (command == "get") {
            return std::to_string(sim.parameter(code));
        }
        if (command == "tuning") {
            return std::to_string(sim.tuning(code));
        }
        const std::string text = sim.text(code);
        return toHex(reinterpret_cast<const uint8_t *>(text.data()), text.size());
    }
    if (command == "frequency") {
        char number[32];
        std::snprintf(number, sizeof number, "%.9g", double(sim.frequency()));
        return number;
    }
    if (command == "requests") {
        const std::vector<std::vector<uint8_t>> frames = sim.requests();
        std::string reply = std::to_string(frames.size());
        for (const std::vector<uint8_t> &frame : frames) {
            reply += "\n" + toHex(frame.data(), frame.size());
        }
        return reply;
    }
    if (command == "clear") {
        sim.clearRequests();
        return "ok";
    }
    if (command == "exchanges") {
        return std::to_string(sim.exchangeCount());
    }
    if (command == "hungup") {
        return sim.hungUp() ? "1" : "0";
    }
    if (command == "trigger") {
        sim.trigger();
        return "ok";
    }
    if (command == "faults") {
        std::vector<std::string> args;
        for (std::string arg; in >> arg;) {
            args.push_back(arg);
        }
        Options options;
        std::string error;
        if (!parseOptions(args, options, error)) {
            return "error " + error;
        }
        sim.setFaults(options.faults);
        return "ok";
    }
    if (command == "getfaults") {
        std::string reply;
        for (const std::string &arg : faultArguments(sim.faults())) {
            reply += (reply.empty() ? "" : " ") + arg;
        }
        return reply;
    }
    return "error unknown command";
}

} // namespace kivrasim
