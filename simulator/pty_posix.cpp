#include "pty.h"

#include "linewait.h"
#include "sockets.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kivrasim {

namespace {

constexpr size_t kPtsNameBytes = 128;

std::string failure(const char *what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

void makeRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CSTOPB | CLOCAL | CREAD;
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(fd, TCSANOW, &tio);
}

class PtyLine final : public Line
{
public:
    ~PtyLine() override { close(); }

    bool open(std::string &error)
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0) {
            error = failure("posix_openpt");
            return false;
        }
        char name[kPtsNameBytes] = {};
        if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name, sizeof name) != 0) {
            error = failure("pty set-up");
            return false;
        }
        slavePath_ = name;
        // Raw before anything is published, so no host ever sees echo or line
        // editing on the port.
        slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) {
            error = failure(name);
            return false;
        }
        makeRaw(slave_);
        const int flags = ::fcntl(master_, F_GETFL);
        ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
        if (!wake_.valid()) {
            error = "pipe: cannot create the wake-up pipe";
            return false;
        }
        return true;
    }

    Ready wait(int timeoutMs, bool forInput) override
    {
        const Socket master = master_;
        return readyOf(waitReadable(&master, forInput ? 1 : 0, wake_, timeoutMs));
    }

    long read(uint8_t *buffer, size_t size) override
    {
        const ssize_t n = ::read(master_, buffer, size);
        if (n >= 0) {
            return static_cast<long>(n);
        }
        return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
    }

    bool write(const uint8_t *bytes, size_t count) override
    {
        while (count > 0) {
            const ssize_t n = ::write(master_, bytes, count);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno == EAGAIN || errno == EWOULDBLOCK;
            }
            bytes += n;
            count -= static_cast<size_t>(n);
        }
        return true;
    }

    void wake() override { wake_.signal(); }

    void close() override
    {
        for (int *fd : {&slave_, &master_}) {
            if (*fd >= 0) {
                ::close(*fd);
            }
            *fd = -1;
        }
    }

    std::string endpoint() const override { return slavePath_; }
    bool isDevice() const override { return true; }

private:
    int master_ = -1;
    // Held open while serving: without any slave open the master reports
    // POLLHUP (and reads fail) whenever no host has the port open.
    int slave_ = -1;
    std::string slavePath_;
    Wake wake_;
};

} // namespace

std::unique_ptr<Line> openPtyLine(std::string &error)
{
    auto line = std::make_unique<PtyLine>();
    if (!line->open(error)) {
        return nullptr;
    }
    return line;
}

} // namespace kivrasim
