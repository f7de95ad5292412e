// kivra-sim's control connection: one client at a time on a loopback TCP
// port reads and plants the device model, the fault options and the request
// log, as a test that links the simulator does through Simulator's own
// methods. It exists for test programs that cannot link the simulator: the
// Windows programs under wine reach it through the host's loopback.
//
// The port and a random key go into a file of mode 600; a client must send
// "key KEY" first, so only a user who can read the file controls the device.
// Then one command a line, one reply line each (requests: a count line and
// that many frame lines). Numbers are decimal, byte strings are hex:
//   set CODE VALUE | get CODE | frequency | text CODE | settext CODE HEX
//   tuning CODE | requests | clear | exchanges | faults [fault options]
//   getfaults | hungup | trigger
// Replies: the value, "ok", or "error WHY".
#ifndef KIVRA_SIM_CONTROL_POSIX_H
#define KIVRA_SIM_CONTROL_POSIX_H

#include <poll.h>

#include <string>

namespace kivrasim {

class Simulator;

class ControlServer
{
public:
    explicit ControlServer(Simulator &simulator);
    ~ControlServer();
    ControlServer(const ControlServer &) = delete;
    ControlServer &operator=(const ControlServer &) = delete;

    // Listens on 127.0.0.1 and publishes the port and key in file, whole
    // (written aside, then renamed). False with error set on failure.
    bool start(const std::string &file, std::string &error);

    // The descriptors to poll: the listening socket and the client, if any.
    void pollFds(pollfd &listening, pollfd &client) const;
    // Accepts or serves after a poll that filled the two entries.
    void handle(const pollfd &listening, const pollfd &client);

    // The reply to one command line; exposed for the tests.
    std::string execute(const std::string &line);

private:
    void serveClient();
    void dropClient();

    Simulator &sim;
    std::string key;
    std::string file;
    int listenFd = -1;
    int clientFd = -1;
    bool authorised = false;
    std::string pending; // bytes of an unfinished line
};

} // namespace kivrasim

#endif
