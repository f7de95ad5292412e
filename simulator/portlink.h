// Publishing a pseudo-terminal as a named port: a symbolic link in the
// virtual-port directory that the library lists and opens by name.
#ifndef KIVRA_SIM_PORTLINK_H
#define KIVRA_SIM_PORTLINK_H

#include <string>

namespace kivrasim {

enum class PublishResult
{
    Published,
    NameTaken, // a live link or another file already has the name
    Failed,
};

// Creates dir (0700) if missing and links dir/name -> target. A stale link
// whose target is gone is replaced. linkPath receives the link's path, error a
// line for the user when the result is not Published.
PublishResult publishLink(const std::string &dir, const std::string &name,
                          const std::string &target, std::string &linkPath, std::string &error);

// Removes linkPath if it still points at target (another simulator may have
// taken the name since).
void unpublishLink(const std::string &linkPath, const std::string &target);

} // namespace kivrasim

#endif
