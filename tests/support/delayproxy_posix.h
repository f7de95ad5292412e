// A TCP relay on loopback that holds every chunk it forwards for a while, in
// each direction, as a distant network would: a fixed delay, a random jitter
// that keeps the bytes in order, and stalls on demand that hold everything
// back and then let it out in one burst. One connection at a time; the relay
// connects to its upstream when a client connects.
#ifndef KIVRA_TESTS_DELAYPROXY_H
#define KIVRA_TESTS_DELAYPROXY_H

#include <chrono>
#include <memory>
#include <string>

class DelayProxy
{
public:
    DelayProxy();
    ~DelayProxy();
    DelayProxy(const DelayProxy &) = delete;
    DelayProxy &operator=(const DelayProxy &) = delete;

    // Relays a free port on 127.0.0.1 to upstreamHost:upstreamPort. False
    // when it cannot listen.
    bool start(const std::string &upstreamHost, int upstreamPort);
    void stop();
    int port() const;

    // Each chunk waits delay plus a random share of jitter (uniform, in
    // order: never sent before the one ahead of it). Applies from now on.
    void setDelay(std::chrono::milliseconds delay,
                  std::chrono::milliseconds jitter = std::chrono::milliseconds(0));
    // Nothing goes out in either direction for this long from now; what is
    // held then leaves at once.
    void stall(std::chrono::milliseconds length);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

#endif
