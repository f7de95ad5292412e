#include "console.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace kivracli {

namespace {

volatile std::sig_atomic_t caught = 0;

void onInterrupt(int)
{
    caught = 1;
}

} // namespace

void catchInterrupts()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interrupted()
{
    return caught != 0;
}

bool stderrIsTerminal()
{
    return isatty(STDERR_FILENO);
}

int restartTraced(char **argv)
{
    setenv("KIVRA_TRACE", "1", 1);
    execv("/proc/self/exe", argv);
    std::perror("kivra: restart with the trace on");
    return -1;
}

} // namespace kivracli
