// kivra-sim: a simulated shutter controller on a pseudo-terminal (or a TCP
// port), published as a named port until the program is interrupted.
#include "control_posix.h"
#include "program.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Signal handlers and the serving thread only write a byte here; the main
// loop does the work.
int notifyPipe[2] = {-1, -1};

constexpr char kNoteStop = 's';
constexpr char kNoteTrigger = 't';
constexpr char kNoteHungUp = 'h';
constexpr size_t kInputBytes = 256;

void note(char what)
{
    const int saved = errno;
    if (::write(notifyPipe[1], &what, 1) < 0) {
        // Nothing to do about a full pipe: a note is already pending.
    }
    errno = saved;
}

void onSignal(int sig)
{
    note(sig == SIGUSR1 ? kNoteTrigger : kNoteStop);
}

void installHandlers()
{
    struct sigaction sa
    {
    };
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) {
        ::sigaction(sig, &sa, nullptr);
    }
}

// Counts the lines in a piece of standard input: one trigger each.
int countLines(const char *bytes, ssize_t n)
{
    int lines = 0;
    for (ssize_t i = 0; i < n; ++i) {
        lines += bytes[i] == '\n';
    }
    return lines;
}

} // namespace

int main(int argc, char **argv)
{
    kivrasim::Options options;
    const int status = kivrasim::readCommandLine(argc, argv, options);
    if (status != kivrasim::kGoOn) {
        return status;
    }
    if (::pipe2(notifyPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("kivra-sim: pipe");
        return 1;
    }
    installHandlers();

    kivrasim::Simulator sim;
    kivrasim::reportEvents(sim, options.verbose, [] { note(kNoteHungUp); });
    // The control file is there before the port, so whoever sees the port can
    // take control at once.
    std::string error;
    kivrasim::ControlServer control(sim);
    if (!options.controlFile.empty() && !control.start(options.controlFile, error)) {
        std::fprintf(stderr, "kivra-sim: %s\n", error.c_str());
        return 1;
    }
    if (!kivrasim::startSimulator(sim, options, error)) {
        std::fprintf(stderr, "kivra-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", kivrasim::announcement(sim).c_str());
    std::fflush(stdout);

    bool watchInput = true;
    bool running = true;
    while (running) {
        pollfd fds[4] = {{notifyPipe[0], POLLIN, 0}, {watchInput ? 0 : -1, POLLIN, 0}};
        control.pollFds(fds[2], fds[3]);
        if (::poll(fds, 4, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
            char input[kInputBytes];
            const ssize_t n = ::read(0, input, sizeof input);
            if (n <= 0) {
                watchInput = false; // end of input; signals still trigger
            }
            for (int i = countLines(input, n); i > 0; --i) {
                sim.trigger();
            }
        }
        control.handle(fds[2], fds[3]);
        if (fds[0].revents & POLLIN) {
            char notes[kInputBytes];
            const ssize_t n = ::read(notifyPipe[0], notes, sizeof notes);
            for (ssize_t i = 0; i < n; ++i) {
                if (notes[i] == kNoteTrigger) {
                    sim.trigger();
                } else if (notes[i] == kNoteHungUp && !options.controlFile.empty()) {
                    // A controlled device stays until it is stopped, so its
                    // client can still read what it received.
                } else {
                    running = false;
                }
            }
        }
    }
    sim.stop();
    return 0;
}
