// Publishing a pseudo-terminal as a named port: a symbolic link in the
// virtual-port directory that the library lists and opens by name, and beside
// it a lock held for as long as the port is served, so that a link left by a
// killed simulator is known to be stale.
#ifndef KIVRA_SIM_PORTLINK_H
#define KIVRA_SIM_PORTLINK_H

#include <string>

namespace kivrasim {

enum class PublishResult
{
    Published,
    NameTaken, // a live simulator or another file already has the name
    Failed,
};

struct Publication
{
    std::string linkPath; // dir/name
    std::string lockPath; // dir/.name.lock
    std::string target;
    int lockFd = -1;
};

// Creates dir (0700) if missing and refuses a directory that fails the shared
// check. Takes the name's lock, removes the stale entries of simulators that
// are gone (this name's and others'), then links dir/name -> target. error
// receives a line for the user when the result is not Published.
PublishResult publishLink(const std::string &dir, const std::string &name,
                          const std::string &target, Publication &publication, std::string &error);

// Removes the link if it still points at the target, then the lock.
void unpublishLink(Publication &publication);

} // namespace kivrasim

#endif
