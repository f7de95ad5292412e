#include "delayproxy_posix.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kChunkBytes = 4096;

struct Held
{
    Clock::time_point due;
    std::vector<uint8_t> bytes;
};

// One direction of the relay.
struct Lane
{
    int from = -1;
    int to = -1;
    std::deque<Held> queue;
    Clock::time_point last{}; // due time of the newest chunk: order is kept
};

int listenOnLoopback(int *port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

int connectTo(const std::string &host, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (fd < 0 || inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1 ||
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return -1;
    }
    return fd;
}

void noDelay(int fd)
{
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

} // namespace

struct DelayProxy::Impl
{
    std::string upstreamHost;
    int upstreamPort = 0;
    int listener = -1;
    int port = 0;
    int wake[2] = {-1, -1};
    std::thread thread;
    std::atomic<bool> running{false};

    std::mutex mutex; // guards the settings below
    Clock::duration delay{};
    Clock::duration jitter{};
    Clock::time_point stalledUntil{};
    std::mt19937 random{20261209u};

    Clock::time_point dueFor(Lane &lane, Clock::time_point now)
    {
        std::lock_guard<std::mutex> lock(mutex);
        Clock::duration extra{};
        if (jitter.count() > 0) {
            std::uniform_int_distribution<long long> share(0, jitter.count());
            extra = Clock::duration(share(random));
        }
        Clock::time_point due = std::max({now + delay + extra, lane.last, stalledUntil});
        lane.last = due;
        return due;
    }

    Clock::time_point releaseFloor()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return stalledUntil;
    }

    void relay(int client);
    void serve();
};

void DelayProxy::Impl::relay(int client)
{
    const int upstream = connectTo(upstreamHost, upstreamPort);
    if (upstream < 0) {
        ::close(client);
        return;
    }
    noDelay(client);
    noDelay(upstream);
    Lane lanes[2];
    lanes[0].from = client;
    lanes[0].to = upstream;
    lanes[1].from = upstream;
    lanes[1].to = client;
    bool open = true;
    while (running && open) {
        const auto now = Clock::now();
        int timeoutMs = -1;
        for (Lane &lane : lanes) {
            if (!lane.queue.empty()) {
                const auto due = std::max(lane.queue.front().due, releaseFloor());
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now);
                const int ms = static_cast<int>(std::max<long long>(0, left.count() + 1));
                timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
            }
        }
        pollfd fds[3] = {{client, POLLIN, 0}, {upstream, POLLIN, 0}, {wake[0], POLLIN, 0}};
        if (::poll(fds, 3, timeoutMs) < 0 && errno != EINTR) {
            break;
        }
        if (fds[2].revents & POLLIN) {
            char byte;
            (void)::read(wake[0], &byte, 1);
        }
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                continue;
            }
            uint8_t chunk[kChunkBytes];
            const ssize_t n = ::recv(lanes[i].from, chunk, sizeof chunk, 0);
            if (n <= 0) {
                open = false;
                break;
            }
            lanes[i].queue.push_back(
                Held{dueFor(lanes[i], Clock::now()), std::vector<uint8_t>(chunk, chunk + n)});
        }
        const auto later = Clock::now();
        const auto floor = releaseFloor();
        for (Lane &lane : lanes) {
            while (open && !lane.queue.empty() && lane.queue.front().due <= later &&
                   floor <= later) {
                const std::vector<uint8_t> &bytes = lane.queue.front().bytes;
                if (::send(lane.to, bytes.data(), bytes.size(), MSG_NOSIGNAL) !=
                    static_cast<ssize_t>(bytes.size())) {
                    open = false;
                }
                lane.queue.pop_front();
            }
        }
    }
    ::close(upstream);
    ::close(client);
}

void DelayProxy::Impl::serve()
{
    while (running) {
        pollfd fds[2] = {{listener, POLLIN, 0}, {wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            break;
        }
        if (!running) {
            break;
        }
        if (fds[1].revents & POLLIN) {
            char byte;
            (void)::read(wake[0], &byte, 1);
        }
        if (fds[0].revents & POLLIN) {
            const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                relay(client);
            }
        }
    }
}

DelayProxy::DelayProxy() : d(new Impl) {}

DelayProxy::~DelayProxy()
{
    stop();
}

bool DelayProxy::start(const std::string &upstreamHost, int upstreamPort)
{
    d->upstreamHost = upstreamHost;
    d->upstreamPort = upstreamPort;
    d->listener = listenOnLoopback(&d->port);
    if (d->listener < 0 || ::pipe2(d->wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    d->running = true;
    d->thread = std::thread([this] { d->serve(); });
    return true;
}

void DelayProxy::stop()
{
    if (d->running) {
        d->running = false;
        (void)::write(d->wake[1], "x", 1);
        d->thread.join();
    }
    for (int *fd : {&d->listener, &d->wake[0], &d->wake[1]}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

int DelayProxy::port() const
{
    return d->port;
}

void DelayProxy::setDelay(std::chrono::milliseconds delay, std::chrono::milliseconds jitter)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->delay = delay;
    d->jitter = jitter;
}

void DelayProxy::stall(std::chrono::milliseconds length)
{
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->stalledUntil = Clock::now() + length;
    }
    (void)::write(d->wake[1], "x", 1);
}
