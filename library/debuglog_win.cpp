#include "debuglog.h"

#include <windows.h>

#include <string>

namespace kivra {

// Without Qt on Windows the lines go where Qt's debug output of a GUI process
// goes: the system debugger channel, one line per call.
void debugLine(const char *utf8)
{
    std::string line(utf8 ? utf8 : "");
    line += '\n';
    OutputDebugStringA(line.c_str());
}

} // namespace kivra
