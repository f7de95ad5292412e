// Writing a network entry's file into the POSIX port directory, for the
// entries made by hand (portedit_posix.cpp) and the simulator's own: written
// aside under a name that never counts, then given its name only if that is
// still free, so nobody reads half an entry and nothing is replaced.
#ifndef KIVRA_ENTRYFILE_POSIX_H
#define KIVRA_ENTRYFILE_POSIX_H

#include <string>

namespace kivra {

struct PlacedEntry
{
    bool placed = false;  // dir/name now holds the URL
    bool created = false; // the file aside was made; when not, nothing was written
    int error = 0;        // unless placed: the errno of the step that failed
    std::string aside;    // where the file was written before it had its name
};

// Writes networkEntryText(url) into a new file beside dir/name, readable and
// writable by the user alone and synced, then links it as dir/name unless
// that name is taken (error EEXIST). The file aside is gone afterwards either
// way.
PlacedEntry placeNetworkEntry(const std::string &dir, const std::string &name,
                              const std::string &url);

} // namespace kivra

#endif
