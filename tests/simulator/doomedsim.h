// A simulator in a process of its own that the test kills outright, as a
// crash or SIGKILL ends kivra-sim: what it leaves in the port directory is
// the test's to look at.
#ifndef KIVRA_TEST_DOOMEDSIM_H
#define KIVRA_TEST_DOOMEDSIM_H

#include "simulator.h"

#include <csignal>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

class DoomedSimulator
{
public:
    // Returns once the child's simulator has started or failed to. listen:
    // "" for a pseudo-terminal, else the TCP address it serves.
    DoomedSimulator(const std::string &name, const std::string &dir,
                    const std::string &listen = std::string())
    {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        child_ = ::fork();
        if (child_ == 0) {
            // Gone with the test, whatever becomes of it.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            kivrasim::Simulator doomed;
            if (!listen.empty()) {
                doomed.listen(listen);
            }
            const char ok = doomed.start(name, dir) ? 'y' : 'n';
            if (::write(ready[1], &ok, 1) != 1) {
                _exit(1);
            }
            for (;;) {
                ::pause();
            }
        }
        // Only the child's end stays open, so a child that dies first ends
        // the read.
        ::close(ready[1]);
        char ok = 0;
        started_ = child_ > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 'y';
        ::close(ready[0]);
    }
    ~DoomedSimulator() { kill(); }
    DoomedSimulator(const DoomedSimulator &) = delete;
    DoomedSimulator &operator=(const DoomedSimulator &) = delete;

    // Whether its simulator started and published the port.
    bool started() const { return started_; }

    // Kills it with SIGKILL and waits for it; true once it is gone.
    bool kill()
    {
        if (child_ <= 0) {
            return false;
        }
        ::kill(child_, SIGKILL);
        const bool reaped = ::waitpid(child_, nullptr, 0) == child_;
        child_ = -1;
        return reaped;
    }

private:
    pid_t child_ = -1;
    bool started_ = false;
};

#endif
