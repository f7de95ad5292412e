// The system's socket declarations on Windows (Winsock 2), for the code both
// socket files share (netsocket.cpp, netsystem.h). CMake puts this folder or
// posix/ on the include path.
#ifndef KIVRA_NETSYS_H
#define KIVRA_NETSYS_H

// The round-trip query (net_win.cpp) is declared for Windows 10 (1703) on;
// the library still runs on Windows 7, where the call fails and nothing is
// lost. Defined here, ahead of the first Windows header.
#ifndef NTDDI_VERSION
#define NTDDI_VERSION 0x0A000003 // NTDDI_WIN10_RS2
#endif
// winsock2.h first: the others build on its types.
#include <winsock2.h>

#include <ws2tcpip.h>

#endif
