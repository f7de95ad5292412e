// kivra-delay-proxy: the tests' delaying relay as a program of its own, for
// the Windows tests under wine, which start their servers on the host.
//
//   kivra-delay-proxy UPSTREAM_PORT DELAY_MS PORT_FILE
//
// Relays a free loopback port to 127.0.0.1:UPSTREAM_PORT, holding every
// chunk DELAY_MS each way; writes the port it listens on to PORT_FILE once it
// listens, and runs until SIGTERM or SIGINT.
#include "delayproxy_posix.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopping = 0;

void stop(int)
{
    stopping = 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: kivra-delay-proxy UPSTREAM_PORT DELAY_MS PORT_FILE\n");
        return 2;
    }
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    DelayProxy proxy;
    if (!proxy.start("127.0.0.1", std::atoi(argv[1]))) {
        std::perror("kivra-delay-proxy");
        return 1;
    }
    proxy.setDelay(std::chrono::milliseconds(std::atoi(argv[2])));
    // Written aside and renamed, so a reader never sees half a number.
    const std::string file = argv[3];
    const std::string partial = file + ".tmp";
    FILE *out = std::fopen(partial.c_str(), "w");
    if (!out || std::fprintf(out, "%d\n", proxy.port()) < 0 || std::fclose(out) != 0 ||
        std::rename(partial.c_str(), file.c_str()) != 0) {
        std::perror("kivra-delay-proxy");
        return 1;
    }
    while (!stopping) {
        pause();
    }
    return 0;
}
