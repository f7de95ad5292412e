// The system's socket declarations on POSIX, for the code both socket files
// share (netsocket.cpp, netsystem.h). CMake puts this folder or win/ on the
// include path.
#ifndef KIVRA_NETSYS_H
#define KIVRA_NETSYS_H

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#endif
