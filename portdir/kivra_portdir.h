// Where virtual ports are published: symbolic links to tty devices, named as
// the ports they stand for. The library lists and opens them, the simulator
// publishes them and the program watches them, so all three read the same
// place: $KIVRA_PORT_DIR, else $XDG_RUNTIME_DIR/kivra-ports, else
// /tmp/kivra-ports-<uid>. The environment is read at each call.
//
// Nothing in the directory is taken on trust: another user who made it first,
// or a link left by a killed simulator whose pseudo-terminal number now
// belongs to someone else's terminal, must not lead anyone to a foreign
// device. The checks below are the one place that decides what counts.
#ifndef KIVRA_PORTDIR_H
#define KIVRA_PORTDIR_H

#include <cstdlib>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace kivra {

inline std::string virtualPortDirectory()
{
    const char *own = std::getenv("KIVRA_PORT_DIR");
    if (own && *own) {
        return own;
    }
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        return std::string(runtime) + "/kivra-ports";
    }
    return "/tmp/kivra-ports-" + std::to_string(getuid());
}

// Who is asking and what the machine looks like. The defaults are the
// process's own; tests put in other values to play another user or a made-up
// sysfs tree.
struct PortTrust
{
    PortTrust();
    uid_t user;                // the owner the directory and entries must have
    std::string sysRoot;       // where sysfs is mounted
    dev_t controllingTerminal; // never a port (0: the process has none)
};

enum class PortDirStatus
{
    Usable,
    Missing,
    NotADirectory, // a link, a file, ...
    NotOwned,      // owned by another user
    OpenToOthers,  // group or others have some access
    Unreadable,    // ours, but it cannot be opened
};

// Whether dir may be used at all: a real directory (not a link), owned by the
// user, with no access for group or others.
PortDirStatus checkPortDirectory(const std::string &dir, const PortTrust &trust = PortTrust());

// A line for the user saying why dir cannot be used.
std::string describePortDirStatus(const std::string &dir, PortDirStatus status);

// Creates dir (and missing parents) with mode 0700 when it is missing, then
// checks it. Returns false with error set when it cannot be used.
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
    std::string target; // Device: the device path to open
    dev_t device = 0;   // Device: its device number, to compare after opening
};

// What dir/name stands for. A Device entry is a link owned by the user to
// either a pseudo-terminal that the user owns and whose publisher still holds
// the name's lock (a pseudo-terminal outlives no one, so without that lock its
// number may since have gone to an unrelated terminal), or a real serial port
// (hardware behind it) whose lock, if it has one, is held. Never the caller's
// controlling terminal. A Network entry is a regular file (not a link) owned
// by the user, writable by no one else, whose one line of text is a URL with a
// network scheme (checked in full when it is opened). Names starting with "."
// (locks, half-made entries) are never ports. An unusable directory has no entries.
PortEntry classifyPortEntry(const std::string &dir, const std::string &name,
                            const PortTrust &trust = PortTrust());

// The names in dir that classifyPortEntry() accepts, in no particular order.
std::vector<std::string> listPortEntries(const std::string &dir,
                                         const PortTrust &trust = PortTrust());

// The lock file a publisher keeps beside its link dir/name while it is alive:
// an open file description lock (fcntl F_OFD_SETLK, write lock on the whole
// file), which the system drops when the publisher dies.
std::string portLockName(const std::string &name);

// A tty directory in sysfs (sysRoot/class/tty/<name> or sysRoot/dev/char/M:m)
// with serial hardware behind it: a driver above its device and, for serial
// core ports, a known UART type.
bool hasSerialHardware(const std::string &ttyDir);

} // namespace kivra

#endif
