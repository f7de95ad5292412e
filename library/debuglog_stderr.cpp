#include "debuglog.h"

#include <cstdio>

namespace kivra {

// Without Qt on a POSIX system the debug channel is standard error.
void debugLine(const char *utf8)
{
    std::fprintf(stderr, "%s\n", utf8);
}

} // namespace kivra
