#include "kivra_portdir.h"

#include "portdir_platform.h"
#include "portlock_posix.h"
#include "ttydevice_linux.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivra {

namespace {

constexpr mode_t kPortDirMode = 0700;
constexpr mode_t kGroupOtherAccess = 0077;
constexpr const char *kDefaultSysRoot = "/sys";
constexpr mode_t kGroupOtherWrite = 0022;

// A descriptor that closes itself.
class Fd
{
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

PortDirStatus statusOf(const struct stat &info, const PortTrust &trust)
{
    if (!S_ISDIR(info.st_mode)) {
        return PortDirStatus::NotADirectory;
    }
    if (info.st_uid != trust.user) {
        return PortDirStatus::NotOwned;
    }
    if ((info.st_mode & kGroupOtherAccess) != 0) {
        return PortDirStatus::OpenToOthers;
    }
    return PortDirStatus::Usable;
}

// Opens dir without following a link in its last component and checks what
// was opened, so the check and the later lookups see the same directory.
int openPortDirectory(const std::string &dir, const PortTrust &trust, PortDirStatus *status)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        struct stat info;
        if (::lstat(dir.c_str(), &info) != 0) {
            *status = PortDirStatus::Missing;
        } else {
            *status = S_ISDIR(info.st_mode) ? statusOf(info, trust) : PortDirStatus::NotADirectory;
            if (*status == PortDirStatus::Usable) {
                *status = PortDirStatus::Unreadable;
            }
        }
        return -1;
    }
    struct stat info;
    *status = ::fstat(fd, &info) == 0 ? statusOf(info, trust) : PortDirStatus::Missing;
    if (*status != PortDirStatus::Usable) {
        ::close(fd);
        return -1;
    }
    return fd;
}

enum class LockState
{
    Absent,
    Held,
    Released,
};

LockState lockState(int dirFd, const std::string &name, const PortTrust &trust)
{
    const Fd lock(::openat(dirFd, portLockName(name).c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (lock.get() < 0) {
        return errno == ENOENT ? LockState::Absent : LockState::Released;
    }
    struct stat info;
    if (::fstat(lock.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != trust.user) {
        return LockState::Released;
    }
    bool held = false;
    if (!portFileLocked(lock.get(), held)) {
        return LockState::Released;
    }
    return held ? LockState::Held : LockState::Released;
}

std::string targetPath(const std::string &dir, int dirFd, const std::string &name)
{
    char text[PATH_MAX];
    const ssize_t length = ::readlinkat(dirFd, name.c_str(), text, sizeof text - 1);
    if (length <= 0) {
        return std::string();
    }
    const std::string target(text, static_cast<size_t>(length));
    return target.front() == '/' ? target : dir + "/" + target;
}

// The URL in a network entry, or "" when the file is not one: read through a
// descriptor opened without following links and checked as opened.
std::string networkUrl(int dirFd, const std::string &name, const PortTrust &trust)
{
    const Fd file(
        ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != trust.user || (info.st_mode & kGroupOtherWrite) != 0 ||
        static_cast<size_t>(info.st_size) > kMaxEntryBytes) {
        return std::string();
    }
    char text[kMaxEntryBytes + 1];
    const ssize_t length = ::read(file.get(), text, sizeof text);
    if (length <= 0) {
        return std::string();
    }
    return networkEntryUrl(std::string(text, static_cast<size_t>(length)));
}

PortEntry classifyIn(const std::string &dir, int dirFd, const std::string &name,
                     const PortTrust &trust)
{
    PortEntry entry;
    if (!isEntryName(name)) {
        return entry;
    }
    struct stat link;
    if (::fstatat(dirFd, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0 ||
        link.st_uid != trust.user) {
        return entry;
    }
    if (S_ISREG(link.st_mode)) {
        // A publisher's entry goes with its lock; one made by hand has none.
        if (lockState(dirFd, name, trust) == LockState::Released) {
            return entry;
        }
        entry.target = networkUrl(dirFd, name, trust);
        if (!entry.target.empty()) {
            entry.kind = PortEntryKind::Network;
        }
        return entry;
    }
    if (!S_ISLNK(link.st_mode)) {
        return entry;
    }
    struct stat device;
    if (::fstatat(dirFd, name.c_str(), &device, 0) != 0 || !S_ISCHR(device.st_mode)) {
        return entry;
    }
    if (trust.controllingTerminal != 0 && device.st_rdev == trust.controllingTerminal) {
        return entry;
    }
    const LockState lock = lockState(dirFd, name, trust);
    switch (ttyKind(device.st_rdev, trust.sysRoot)) {
    case TtyKind::PseudoTerminal:
        if (device.st_uid != trust.user || lock != LockState::Held) {
            return entry;
        }
        break;
    case TtyKind::SerialPort:
        if (lock == LockState::Released) {
            return entry;
        }
        break;
    case TtyKind::Other:
        return entry;
    }
    entry.target = targetPath(dir, dirFd, name);
    if (!entry.target.empty()) {
        entry.kind = PortEntryKind::Device;
        entry.device = device.st_rdev;
    }
    return entry;
}

} // namespace

const char *const kNotADirectoryWords = "is not a directory of its own (a link or a file)";
const char *const kOpenToOthersWords = "is open to group or others (it must be mode 0700)";

std::string virtualPortDirectory()
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

bool isEntryName(const std::string &name)
{
    return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos &&
           name.find(',') == std::string::npos;
}

PortTrust::PortTrust()
    : user(::geteuid()), sysRoot(kDefaultSysRoot), controllingTerminal(kivra::controllingTerminal())
{
}

PortDirStatus checkPortDirectory(const std::string &dir, const PortTrust &trust)
{
    PortDirStatus status = PortDirStatus::Missing;
    const Fd fd(openPortDirectory(dir, trust, &status));
    return status;
}

bool makePortDirectory(const std::string &dir, std::string &error, const PortTrust &)
{
    // Parents first; each level this makes is private like the leaf.
    for (size_t slash = dir.find('/', 1); slash != std::string::npos;
         slash = dir.find('/', slash + 1)) {
        ::mkdir(dir.substr(0, slash).c_str(), kPortDirMode);
    }
    if (::mkdir(dir.c_str(), kPortDirMode) != 0 && errno != EEXIST) {
        error = "cannot create port directory " + dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool hasPortEntry(const std::string &dir, const std::string &name)
{
    struct stat info;
    return ::fstatat(AT_FDCWD, portEntryPath(dir, name).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

std::string portEntryPath(const std::string &dir, const std::string &name)
{
    return dir + "/" + name;
}

PortEntry classifyPortEntry(const std::string &dir, const std::string &name, const PortTrust &trust)
{
    PortDirStatus status = PortDirStatus::Missing;
    const Fd dirFd(openPortDirectory(dir, trust, &status));
    if (dirFd.get() < 0) {
        return PortEntry();
    }
    return classifyIn(dir, dirFd.get(), name, trust);
}

std::vector<std::string> listPortEntries(const std::string &dir, const PortTrust &trust)
{
    std::vector<std::string> names;
    PortDirStatus status = PortDirStatus::Missing;
    const int fd = openPortDirectory(dir, trust, &status);
    if (fd < 0) {
        return names;
    }
    // fdopendir takes the descriptor over; a second one serves the lookups.
    const Fd lookups(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    DIR *stream = ::fdopendir(fd);
    if (!stream) {
        ::close(fd);
        return names;
    }
    while (const dirent *item = ::readdir(stream)) {
        const std::string name = item->d_name;
        if (lookups.get() >= 0 &&
            classifyIn(dir, lookups.get(), name, trust).kind != PortEntryKind::None) {
            names.push_back(name);
        }
    }
    ::closedir(stream);
    return names;
}

} // namespace kivra
