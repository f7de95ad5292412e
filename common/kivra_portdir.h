// Where virtual ports are published: symbolic links to tty devices, named as
// the ports they stand for. The library lists and opens them, the simulator
// publishes them and the program watches them, so all three read the same
// place: $KIVRA_PORT_DIR, else $XDG_RUNTIME_DIR/kivra-ports, else
// /tmp/kivra-ports-<uid>. The environment is read at each call.
#ifndef KIVRA_PORTDIR_H
#define KIVRA_PORTDIR_H

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace kivra {

inline std::string virtualPortDirectory()
{
    const char *own = std::getenv("KIVRA_PORT_DIR");
    if (own && *own) {
        return own;
    }
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        return std::string(runtime) + "/kivra-ports";
    }
    return "/tmp/kivra-ports-" + std::to_string(getuid());
}

} // namespace kivra

#endif
