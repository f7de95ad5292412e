// The command-line tool's diagnosis (absent, in use by which process, no
// permission with the remedy, not a serial port).
#include "OpenFailure.h"

#include <portprobe.h>

namespace kivramm {

std::string describeOpenFailure(const std::string &port)
{
    return kivracli::diagnoseOpenFailure(port);
}

} // namespace kivramm
