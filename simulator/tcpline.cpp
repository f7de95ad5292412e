// The controller behind a TCP listener, as a serial server presents one: one
// host at a time, whose bytes are the line's. A second host is turned away
// at once while the first is connected, as a port that is open already would
// be; when the host leaves, the next one may come.
#include "line.h"

#include "kivra_portname.h"
#include "linewait.h"
#include "options.h"
#include "sockets.h"

namespace kivrasim {

namespace {

class TcpLine final : public Line
{
public:
    TcpLine(Socket listener, std::string url) : listener_(listener), url_(std::move(url)) {}
    ~TcpLine() override { close(); }

    Ready wait(int timeoutMs, bool forInput) override
    {
        const Socket watched[] = {listener_, client_};
        const size_t count = !forInput ? 0 : client_ == kNoSocket ? 1 : 2;
        if (forInput && listener_ == kNoSocket) {
            return Ready::Failed;
        }
        const int ready = waitReadable(watched, count, wake_, timeoutMs);
        if (ready == 0) {
            takeHost();
        }
        return readyOf(ready);
    }

    long read(uint8_t *buffer, size_t size) override
    {
        if (client_ == kNoSocket) {
            return 0;
        }
        const long n = receiveSome(client_, buffer, size);
        if (n < 0) {
            dropHost(); // the host left; the line stays
            return 0;
        }
        return n;
    }

    bool write(const uint8_t *bytes, size_t count) override
    {
        if (client_ != kNoSocket && !sendSome(client_, bytes, count)) {
            dropHost();
        }
        return listener_ != kNoSocket;
    }

    void wake() override { wake_.signal(); }

    void close() override
    {
        dropHost();
        closeSocket(listener_);
        listener_ = kNoSocket;
    }

    std::string endpoint() const override { return url_; }
    bool isDevice() const override { return false; }
    bool valid() const { return wake_.valid(); }

private:
    // A host that closed and came straight back (to probe the port, then
    // open it) finds its old connection gone, not in its way.
    void takeHost()
    {
        if (client_ != kNoSocket && peerGone(client_)) {
            dropHost();
        }
        const Socket host = acceptClient(listener_);
        if (client_ == kNoSocket) {
            client_ = host;
        } else {
            closeSocket(host);
        }
    }

    void dropHost()
    {
        closeSocket(client_);
        client_ = kNoSocket;
    }

    Socket listener_;
    Socket client_ = kNoSocket;
    Wake wake_;
    std::string url_;
};

// The address a host connects to: a listener on every interface is reached
// on the loopback one.
std::string urlOf(const std::string &host, uint16_t port)
{
    std::string reach = host;
    if (reach == "0.0.0.0") {
        reach = "127.0.0.1";
    } else if (reach == "::") {
        reach = "::1";
    }
    if (reach.find(':') != std::string::npos) {
        reach = "[" + reach + "]";
    }
    return kivra::kRawSocketScheme + reach + ":" + std::to_string(port);
}

} // namespace

std::unique_ptr<Line> openTcpLine(const std::string &listen, std::string &error)
{
    std::string host;
    uint16_t port = 0;
    if (!parseListenAddress(listen, host, port)) {
        error = "cannot listen on \"" + listen + "\": not HOST:PORT";
        return nullptr;
    }
    std::string boundHost;
    uint16_t boundPort = 0;
    const Socket listener = listenOn(host, port, &boundHost, &boundPort, error);
    if (listener == kNoSocket) {
        return nullptr;
    }
    auto line = std::make_unique<TcpLine>(listener, urlOf(boundHost, boundPort));
    if (!line->valid()) {
        error = "cannot make the line's wake-up signal";
        return nullptr;
    }
    return line;
}

} // namespace kivrasim
