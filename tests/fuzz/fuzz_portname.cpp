// Port-name resolution and the port-directory check with names the fuzzer
// makes up, in a private directory holding one live port, a stale one and
// links to devices that are not ports. A name must never climb out of the
// directories, and nothing but the live port may resolve into the directory.
#include "kivra_portdir.h"
#include "kivra_portname.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string gDir;
std::string gLiveTarget;

void fail()
{
    std::abort();
}

bool lockName(const std::string &dir, const std::string &name, bool keep)
{
    const int fd =
        ::open((dir + "/" + kivra::portLockName(name)).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool ok = fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
    if (!keep && fd >= 0) {
        ::close(fd);
    }
    return ok;
}

void setUp()
{
    char pattern[] = "/tmp/kivra-fuzz-ports-XXXXXX";
    if (!::mkdtemp(pattern)) {
        fail();
    }
    gDir = pattern;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        fail();
    }
    gLiveTarget = ::ptsname(master);
    if (::symlink(gLiveTarget.c_str(), (gDir + "/LIVE").c_str()) != 0 ||
        !lockName(gDir, "LIVE", true) ||
        ::symlink(gLiveTarget.c_str(), (gDir + "/STALE").c_str()) != 0 ||
        !lockName(gDir, "STALE", false) || ::symlink("/dev/null", (gDir + "/NULL").c_str()) != 0 ||
        ::symlink("/dev/tty", (gDir + "/TTY").c_str()) != 0 ||
        ::symlink("..", (gDir + "/UP").c_str()) != 0) {
        fail();
    }
    ::setenv("KIVRA_PORT_DIR", gDir.c_str(), 1);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Names reach the library as C strings.
    const auto *text = reinterpret_cast<const char *>(data);
    const std::string name(text, strnlen(text, size));
    const kivra::PortTarget target = kivra::resolvePortName(name);
    const std::string &path = target.path;
    const bool bare = !name.empty() && name.front() != '/';
    if (kivra::isNetworkName(name)) {
        if (target.kind != kivra::PortKind::Network || path != name) {
            fail();
        }
    } else if (name.empty() || (bare && name.find('/') != std::string::npos)) {
        if (!path.empty()) {
            fail();
        }
    } else if (!bare) {
        if (path != name) {
            fail();
        }
    } else if (name == "LIVE") {
        if (path != gLiveTarget) {
            fail();
        }
    } else if (!path.empty() && path != "/dev/" + name) {
        fail();
    }
    const kivra::PortEntry entry = kivra::classifyPortEntry(gDir, name);
    if ((entry.kind != kivra::PortEntryKind::None) != (name == "LIVE")) {
        fail();
    }
    return 0;
}
