// What each platform's entry editing (portedit_posix.cpp, portedit_win.cpp)
// does past the checks they share (portedit.cpp), and the lines for the user
// that both say.
#ifndef KIVRA_PORTEDIT_PLATFORM_H
#define KIVRA_PORTEDIT_PLATFORM_H

#include "kivra_portedit.h"

#include <string>

namespace kivra {

// addNetworkEntry() once dir is ready and had nothing under name.
EntryEdit writeNetworkEntry(const std::string &dir, const std::string &name, const std::string &url,
                            std::string &error);

// removePortEntry() once dir is usable and name fit to be an entry's.
EntryEdit removeEntryFile(const std::string &dir, const std::string &name, std::string &error);

// "no port NAME in the port directory DIR"
std::string noPortLine(const std::string &dir, const std::string &name);
// That a running simulator's entry stays until it ends.
std::string heldByPublisherLine(const std::string &name);

} // namespace kivra

#endif
