// Where virtual ports are published, named as the ports they stand for: on
// POSIX systems symbolic links to tty devices, and on both POSIX and Windows
// files holding one socket:// or rfc2217:// URL. The library lists and opens
// them, the simulator publishes them and the program watches them, so all
// read the same place (virtualPortDirectory()).
//
// Nothing in the directory is taken on trust: another user who made it first,
// or a link left by a killed simulator whose pseudo-terminal number now
// belongs to someone else's terminal, must not lead anyone to a foreign
// device. The checks below are the one place that decides what counts. Who
// is trusted is the platform's (porttrust.h: posix/ or win/).
#ifndef KIVRA_PORTDIR_H
#define KIVRA_PORTDIR_H

#include "porttrust.h"

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kivra {

// POSIX: $KIVRA_PORT_DIR, else $XDG_RUNTIME_DIR/kivra-ports, else
// /tmp/kivra-ports-<uid>. Windows: %KIVRA_PORT_DIR%, else
// %LOCALAPPDATA%\Kivra\ports, in UTF-8. The environment is read at each call.
std::string virtualPortDirectory();

enum class PortDirStatus
{
    Usable,
    Missing,
    NotADirectory, // a link, a file, ...
    NotOwned,      // owned by another user
    OpenToOthers,  // others have some access
    Unreadable,    // ours, but it cannot be opened
};

// Whether dir may be used at all: a real directory (not a link), owned by the
// user, with no access for anyone else (POSIX: mode 0700; Windows: the
// system and the administrators aside).
PortDirStatus checkPortDirectory(const std::string &dir, const PortTrust &trust = PortTrust());

// A line for the user saying why dir cannot be used.
std::string describePortDirStatus(const std::string &dir, PortDirStatus status);

// Creates dir (and missing parents) private to the user when it is missing,
// then checks it. Returns false with error set when it cannot be used.
bool preparePortDirectory(const std::string &dir, std::string &error,
                          const PortTrust &trust = PortTrust());

enum class PortEntryKind
{
    None,    // does not count as a port
    Device,  // a link to a terminal device; target is the device's path
    Network, // a file of ours holding a socket:// or rfc2217:// URL; target is it
};

struct PortEntry
{
    PortEntryKind kind = PortEntryKind::None;
    std::string target; // Device: the device path to open; Network: the URL
    dev_t device = 0;   // Device: its device number, to compare after opening
};

// What dir/name stands for.
//
// A Network entry is a regular file (not a link) owned by the user, writable
// by no one else, whose one line of text is a URL with a network scheme
// (networkEntryUrl(); checked in full when it is opened). A publisher that
// serves one keeps its entry only while it lives: on POSIX it holds the
// name's lock, and an entry whose lock file nobody holds does not count; on
// Windows the file is held open to be deleted when it closes.
//
// A Device entry (POSIX only) is a link owned by the user to either a
// pseudo-terminal that the user owns and whose publisher still holds the
// name's lock (a pseudo-terminal outlives no one, so without that lock its
// number may since have gone to an unrelated terminal), or a real serial port
// (hardware behind it) whose lock, if it has one, is held. Never the caller's
// controlling terminal.
//
// Names that isEntryName() refuses are never ports. An unusable directory has
// no entries.
PortEntry classifyPortEntry(const std::string &dir, const std::string &name,
                            const PortTrust &trust = PortTrust());

// Whether dir holds anything under name, counting or not.
bool hasPortEntry(const std::string &dir, const std::string &name);

// The path of the entry dir/name, with the platform's separator.
std::string portEntryPath(const std::string &dir, const std::string &name);

// The names in dir that classifyPortEntry() accepts, in no particular order.
std::vector<std::string> listPortEntries(const std::string &dir,
                                         const PortTrust &trust = PortTrust());

// Whether name can be a port in the directory at all, and be listed: not
// empty, not starting with "." (locks, half-made entries), no path separator
// and no "," (the list's separator). Windows adds what its file names cannot
// be or would alias (reserved characters and device names such as COM1, a
// trailing dot or blank) and keeps to printable ASCII.
bool isEntryName(const std::string &name);

// The most bytes an entry's file may hold: a URL is a line.
constexpr size_t kMaxEntryBytes = 512;

// The URL a network entry's text holds: one line, optionally ended by a line
// break, of printable characters without blanks, starting with a network
// scheme with something after it, and at most kMaxEntryBytes in all. ""
// for any other text.
std::string networkEntryUrl(const std::string &text);

// The text a publisher writes into the entry for url.
std::string networkEntryText(const std::string &url);

// The lock file a POSIX publisher keeps beside its entry dir/name while it is
// alive: an open file description lock (fcntl F_OFD_SETLK, write lock on the
// whole file), which the system drops when the publisher dies.
std::string portLockName(const std::string &name);
// The name whose lock file is called file, or "" when file is no lock's name.
std::string portNameOfLock(const std::string &file);

} // namespace kivra

#endif
