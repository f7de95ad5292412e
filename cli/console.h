// What the tool needs of the system it runs on: Ctrl-C that ends a wait
// instead of the process, whether standard error is a terminal, and a start
// of its own again with the library's frame trace on. One implementation
// per platform (console_posix.cpp, console_win.cpp).
#ifndef KIVRA_CLI_CONSOLE_H
#define KIVRA_CLI_CONSOLE_H

namespace kivracli {

// From now on Ctrl-C (and on POSIX SIGTERM) sets interrupted() instead of
// ending the process, so the shutter can be closed first.
void catchInterrupts();
bool interrupted();

bool stderrIsTerminal();

// The library reads KIVRA_TRACE once, when it is loaded; the tool asked for
// --trace starts itself again with it set. Returns the exit status to end
// with, or -1 when this process is to go on (the trace is on already, or
// the restart failed and said so).
int restartTraced(char **argv);

} // namespace kivracli

#endif
