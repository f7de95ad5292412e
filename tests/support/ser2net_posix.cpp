#include "ser2net_posix.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char *kSer2Net = "/usr/sbin/ser2net";
constexpr std::chrono::seconds kListenPatience{5};
constexpr std::chrono::milliseconds kExitPatience{2000};
constexpr std::chrono::milliseconds kPollStep{5};
// Another test process may take the port between our probe and ser2net's bind.
constexpr int kLaunchTries = 4;
constexpr const char *kTcpListenState = "0A";

bool isIpv6(const std::string &host)
{
    return host.find(':') != std::string::npos;
}

// Whether /proc/net lists a socket listening on port (ser2net prints nothing
// when it is ready, and a trial connection would open the device).
bool listening(int port, bool ipv6)
{
    std::ifstream table(ipv6 ? "/proc/net/tcp6" : "/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        const size_t colon = local.rfind(':');
        if (colon != std::string::npos && state == kTcpListenState &&
            std::strtol(local.c_str() + colon + 1, nullptr, 16) == port) {
            return true;
        }
    }
    return false;
}

bool exited(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

} // namespace

int freeTcpPort(const std::string &host)
{
    const bool ipv6 = isIpv6(host);
    const int fd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return 0;
    }
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (ipv6) {
        auto *a = reinterpret_cast<sockaddr_in6 *>(&storage);
        a->sin6_family = AF_INET6;
        inet_pton(AF_INET6, host.c_str(), &a->sin6_addr);
        length = sizeof *a;
    } else {
        auto *a = reinterpret_cast<sockaddr_in *>(&storage);
        a->sin_family = AF_INET;
        inet_pton(AF_INET, host.c_str(), &a->sin_addr);
        length = sizeof *a;
    }
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr *>(&storage), length) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr *>(&storage), &length) == 0) {
        port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6 *>(&storage)->sin6_port
                          : reinterpret_cast<sockaddr_in *>(&storage)->sin_port);
    }
    close(fd);
    return port;
}

Ser2Net::~Ser2Net()
{
    stop();
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
}

bool Ser2Net::available()
{
    return access(kSer2Net, X_OK) == 0;
}

bool Ser2Net::start(const std::string &device, Kind kind, const std::string &host)
{
    stop();
    kind_ = kind;
    host_ = host;
    if (dir_.empty()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kivra-ser2net-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            return false;
        }
        dir_ = pattern;
    }
    for (int i = 0; i < kLaunchTries; ++i) {
        if (launch(device, kind, host)) {
            return true;
        }
    }
    return false;
}

bool Ser2Net::launch(const std::string &device, Kind kind, const std::string &host)
{
    port_ = freeTcpPort(host);
    if (port_ == 0) {
        return false;
    }
    // chardelay off: with the default pause after each character a reply
    // paced at line rate reaches the client later than its budget allows.
    const std::string config = dir_ + "/ser2net.yaml";
    {
        std::ofstream out(config);
        out << "connection: &kivra\n"
            << "    accepter: " << (kind == Kind::Rfc2217 ? "telnet(rfc2217)," : "")
            << "tcp(nodelay)," << host << "," << port_ << "\n"
            << "    connector: serialdev," << device << ",115200n82,local\n"
            << "    options:\n"
            << "        chardelay: false\n";
    }
    const std::string pidFile = dir_ + "/ser2net.pid";
    const pid_t pid = fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        // ser2net's own chatter (its mdns complaint) is of no use here, and a
        // server holding the test's output open would keep ctest waiting
        // after a test that died; it also goes when the test goes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execl(kSer2Net, kSer2Net, "-n", "-u", "-c", config.c_str(), "-P", pidFile.c_str(),
              static_cast<char *>(nullptr));
        _exit(127);
    }
    pid_ = pid;
    const auto until = Clock::now() + kListenPatience;
    while (Clock::now() < until) {
        if (listening(port_, isIpv6(host))) {
            return true;
        }
        if (exited(pid_)) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    stop();
    return false;
}

void Ser2Net::stop()
{
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    const auto until = Clock::now() + kExitPatience;
    while (!exited(pid_)) {
        if (Clock::now() >= until) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    pid_ = -1;
}

std::string Ser2Net::url() const
{
    const std::string host = isIpv6(host_) ? "[" + host_ + "]" : host_;
    return std::string(kind_ == Kind::Rfc2217 ? "rfc2217://" : "socket://") + host + ":" +
           std::to_string(port_);
}
