#include "simprocess_posix.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// kivra-sim prints one line ("... port NAME ...") once its link is published.
bool waitForPublished(int fd)
{
    std::string line;
    char c = 0;
    while (line.size() < 4096 && ::read(fd, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    return line.find("port") != std::string::npos;
}

} // namespace

SimProcess::SimProcess(const std::string &name, const std::vector<std::string> &options)
    : name_(name)
{
    const char *sim = std::getenv("KIVRA_SIM");
    const char *dir = std::getenv("KIVRA_PORT_DIR");
    int out[2];
    if (!sim || !dir || ::pipe2(out, O_CLOEXEC) != 0) {
        return;
    }
    std::vector<std::string> args = {sim, "--port-dir", dir, "--name", name};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char *> argv;
    for (std::string &arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    // Kept open: a simulator writing to a closed pipe would die of SIGPIPE.
    output_ = out[0];
    published_ = pid_ > 0 && waitForPublished(output_);
}

SimProcess::~SimProcess()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) {
        ::close(output_);
    }
}

void SimProcess::kill()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

std::string uniquePortName(const char *prefix)
{
    static int count = 0;
    return std::string(prefix) + std::to_string(::getpid()) + "x" + std::to_string(++count);
}
