// The system calls of the simulator's TCP line (tcpline.cpp), one step each:
// sockets_posix.cpp or sockets_win.cpp.
#ifndef KIVRA_SIM_SOCKETS_H
#define KIVRA_SIM_SOCKETS_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace kivrasim {

// A descriptor on POSIX, a SOCKET on Windows.
using Socket = std::intptr_t;
constexpr Socket kNoSocket = -1;

// A listening socket at host:port (port 0: any free one), non-blocking and
// not inherited; kNoSocket with error set on failure. bound receives the
// address it listens on, numeric ("127.0.0.1", "::1") and its port.
Socket listenOn(const std::string &host, uint16_t port, std::string *boundHost, uint16_t *boundPort,
                std::string &error);
// The next waiting connection, non-blocking and sending each write at once;
// kNoSocket when there is none.
Socket acceptClient(Socket listener);
// What has arrived: the bytes read, 0 for nothing yet, -1 when the peer has
// gone or the socket failed.
long receiveSome(Socket socket, uint8_t *buffer, size_t size);
// Whether the peer has closed the connection (or it failed), without taking
// any of what it sent.
bool peerGone(Socket socket);
// Sends what the system takes at once; false when the socket failed.
bool sendSome(Socket socket, const uint8_t *bytes, size_t count);
void closeSocket(Socket socket);

// A signal that, once given, stays given: it ends every wait from then on.
class Wake
{
public:
    Wake();
    ~Wake();
    Wake(const Wake &) = delete;
    Wake &operator=(const Wake &) = delete;
    bool valid() const { return read_ != kNoSocket; }
    void signal();
    Socket waitable() const { return read_; } // what waitReadable() watches

private:
    Socket read_ = kNoSocket;
    Socket write_ = kNoSocket;
};

// Waits up to timeoutMs (negative: no limit) until one of the count
// descriptors is readable or has hung up, or wake is given. Returns the index
// of a ready descriptor, kWaitTimeout, kWaitWoken or kWaitFailed.
constexpr int kWaitTimeout = -1;
constexpr int kWaitWoken = -2;
constexpr int kWaitFailed = -3;
int waitReadable(const Socket *descriptors, size_t count, const Wake &wake, int timeoutMs);

} // namespace kivrasim

#endif
