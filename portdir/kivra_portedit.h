// Named network ports made by hand (kivra ports add and remove): an entry of
// the port directory written whole, private to the user, under a name that
// is free, and removed again unless a running publisher holds it. Which names
// and URLs are fit to be written is the caller's to check first
// (isEntryName(), networkEntryUrl()).
#ifndef KIVRA_PORTEDIT_H
#define KIVRA_PORTEDIT_H

#include <string>

namespace kivra {

enum class EntryEdit
{
    Done,
    Taken,   // add: the name has an entry, or a running publisher is taking it
    Missing, // remove: no entry of that name
    Held,    // remove: a running publisher holds the entry
    Failed,  // the directory cannot be used, or the system refused
};

// Writes the entry dir/name holding url (networkEntryText()), readable and
// writable by the user alone, making dir as preparePortDirectory() does. The
// entry appears whole or not at all, and nothing is replaced. On POSIX a
// lock file that a killed publisher left under the name is cleared first, as
// the entry would not count beside it. error: a line for the user unless
// Done.
EntryEdit addNetworkEntry(const std::string &dir, const std::string &name, const std::string &url,
                          std::string &error);

// Removes the entry dir/name (a file or a link, counting or not) unless a
// running publisher holds it: a simulator's entry goes when the simulator
// ends.
EntryEdit removePortEntry(const std::string &dir, const std::string &name, std::string &error);

// "port name NAME is taken (DIR/NAME)", for a name that already has an entry.
std::string nameTakenLine(const std::string &dir, const std::string &name);

} // namespace kivra

#endif
