// What each platform's port directory (portdir_posix.cpp, portdir_win.cpp)
// gives the part they share (portdir.cpp): how a missing directory is made,
// and its own words for the two ways a directory fails its check that the
// platforms say differently.
#ifndef KIVRA_PORTDIR_PLATFORM_H
#define KIVRA_PORTDIR_PLATFORM_H

#include "porttrust.h"

#include <string>

namespace kivra {

// Creates the missing dir and its missing parents, each private to the user.
// False with error set for the user when it could not; true also when there
// was nothing to make, as the check that follows says what became of dir.
bool makePortDirectory(const std::string &dir, std::string &error, const PortTrust &trust);

// After "port directory DIR ": for PortDirStatus::NotADirectory and
// PortDirStatus::OpenToOthers.
extern const char *const kNotADirectoryWords;
extern const char *const kOpenToOthersWords;

} // namespace kivra

#endif
