#include "entryfile_posix.h"

#include "kivra_portdir.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivra {

namespace {

constexpr mode_t kEntryFileMode = 0600;

bool writeAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

PlacedEntry placeNetworkEntry(const std::string &dir, const std::string &name,
                              const std::string &url)
{
    PlacedEntry result;
    result.aside = portEntryPath(dir, "." + name + "." + std::to_string(::getpid()) + ".new");
    const int fd = ::open(result.aside.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kEntryFileMode);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    result.created = true;
    // The mode given at creation is narrowed by the umask only.
    const bool written = ::fchmod(fd, kEntryFileMode) == 0 && writeAll(fd, networkEntryText(url)) &&
                         ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    result.placed = written && ::link(result.aside.c_str(), portEntryPath(dir, name).c_str()) == 0;
    result.error = result.placed ? 0 : written ? errno : writeError;
    ::unlink(result.aside.c_str());
    return result;
}

} // namespace kivra
