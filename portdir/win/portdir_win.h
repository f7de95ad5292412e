// What the Windows port directory's files share inside portdir/: the UTF-8
// names as the system's wide strings, and the access list that keeps what is
// made private to the user.
#ifndef KIVRA_PORTDIR_WIN_H
#define KIVRA_PORTDIR_WIN_H

#include "porttrust.h"

#include <windows.h>

#include <string>

namespace kivra {

// UTF-8 as a wide string; empty for text that is not UTF-8.
std::wstring wide(const std::string &utf8);

// Fills attributes with a security descriptor that gives trust's user alone
// full control, passed on to what is created inside a folder made with it.
// The caller frees attributes->lpSecurityDescriptor with LocalFree. False when
// the user is not known.
bool privateAttributes(const PortTrust &trust, SECURITY_ATTRIBUTES *attributes);

} // namespace kivra

#endif
