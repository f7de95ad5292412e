// A kivra-sim process publishing one port in the test's port directory
// ($KIVRA_PORT_DIR), stopped with the object. kill() ends it outright, as an
// unplugged controller, while a test still holds the port.
#ifndef KIVRA_MM_SIMPROCESS_H
#define KIVRA_MM_SIMPROCESS_H

#include <string>
#include <sys/types.h>
#include <vector>

class SimProcess
{
public:
    // Starts $KIVRA_SIM --name name with options; ok() says whether it
    // published its port.
    SimProcess(const std::string &name, const std::vector<std::string> &options = {});
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool ok() const { return published_; }
    const std::string &name() const { return name_; }
    // SIGKILL and reap; the port link stays behind, as after a crash.
    void kill();

private:
    std::string name_;
    pid_t pid_ = -1;
    int output_ = -1; // the read end of its standard output
    bool published_ = false;
};

// A port name no other test of this process uses.
std::string uniquePortName(const char *prefix);

#endif
