// The simulated controller's end of the connection to the host: a
// pseudo-terminal (POSIX), or a TCP listener that takes one host at a time
// (every platform; the only kind on Windows). The serving thread reads
// requests from it and writes replies to it; any thread may wake it.
#ifndef KIVRA_SIM_LINE_H
#define KIVRA_SIM_LINE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kivrasim {

class Line
{
public:
    virtual ~Line() = default;

    enum class Ready
    {
        Input,   // read() has something (possibly nothing after all)
        Timeout, // the time ran out
        Woken,   // wake() was called: now, or at any time before
        Failed,  // the line is gone
    };
    // Waits up to timeoutMs (negative: no limit) for input and for wake();
    // with forInput false for wake() alone.
    virtual Ready wait(int timeoutMs, bool forInput) = 0;
    // Reads what has arrived without blocking: the bytes read, 0 for none, -1
    // when the line failed.
    virtual long read(uint8_t *buffer, size_t size) = 0;
    // Writes without blocking; bytes the host has no room for are lost, as on
    // a wire nobody listens to. False when the line failed.
    virtual bool write(const uint8_t *bytes, size_t count) = 0;
    // Ends the wait in progress and every later one. Thread-safe.
    virtual void wake() = 0;
    // Hangs up on the host, as an unplugged adapter does; wake() still works.
    virtual void close() = 0;

    // What the host opens: the pseudo-terminal's path, or the listener's
    // socket:// URL.
    virtual std::string endpoint() const = 0;
    // Whether endpoint() is a device to link to, rather than a URL.
    virtual bool isDevice() const = 0;
};

// The platform's line for a simulator: a TCP listener at listen
// ("HOST:PORT", port 0 for any free one), or when listen is empty the
// platform's own kind (a pseudo-terminal on POSIX, the loopback interface on
// Windows). nullptr with error set for the user on failure.
std::unique_ptr<Line> openHostLine(const std::string &listen, std::string &error);

// A TCP listener at listen ("HOST:PORT", "[IPV6]:PORT").
std::unique_ptr<Line> openTcpLine(const std::string &listen, std::string &error);

} // namespace kivrasim

#endif
