// A real ser2net (version 4) in the foreground, bridging one serial device to
// one TCP accepter on loopback, raw or telnet with RFC 2217. Started with its
// own YAML file in a temporary directory and stopped with the object.
#ifndef KIVRA_TESTS_SER2NET_H
#define KIVRA_TESTS_SER2NET_H

#include <string>
#include <sys/types.h>

class Ser2Net
{
public:
    enum class Kind
    {
        Raw,
        Rfc2217
    };

    Ser2Net() = default;
    ~Ser2Net();
    Ser2Net(const Ser2Net &) = delete;
    Ser2Net &operator=(const Ser2Net &) = delete;

    // Serves device on a free port of host ("127.0.0.1" or "::1"). False
    // when ser2net is missing or does not listen within a few seconds.
    bool start(const std::string &device, Kind kind, const std::string &host = "127.0.0.1");
    void stop(); // SIGTERM, then SIGKILL; connections close

    int port() const { return port_; }
    // socket://host:port or rfc2217://host:port, IPv6 hosts in brackets.
    std::string url() const;

    static bool available(); // ser2net is installed

private:
    bool launch(const std::string &device, Kind kind, const std::string &host);

    pid_t pid_ = -1;
    int port_ = 0;
    Kind kind_ = Kind::Raw;
    std::string host_;
    std::string dir_;
};

// A free TCP port on host right now (0 when none could be had).
int freeTcpPort(const std::string &host);

#endif
