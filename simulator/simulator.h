// In-process simulated shutter controller on a pseudo-terminal or a TCP port.
//
// Simulator opens its line (line.h): a pty, published as a named port (a
// symbolic link in the virtual-port directory), or a TCP listener, published
// as a file holding its socket:// URL. It answers request frames on a thread
// of its own, like a controller at the far end of a cable. kivra-sim wraps it
// in a program; tests use it directly.
#ifndef KIVRA_SIM_SIMULATOR_H
#define KIVRA_SIM_SIMULATOR_H

#include "faults.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kivrasim {

// What the serving thread reports: one line per exchange, and the hang-up of
// a dropped port.
struct Event
{
    enum Kind
    {
        Exchange,
        HangUp
    };
    Kind kind;
    std::string text;
};

constexpr size_t kDefaultKeptRequests = 64;

class Simulator
{
public:
    using EventHandler = std::function<void(const Event &)>;

    Simulator();
    ~Simulator(); // stops and removes the published entry

    // Where the next start() listens: "HOST:PORT" (port 0: any free one), or
    // "" for the platform's own line (a pty on POSIX, a TCP port on the
    // loopback interface on Windows).
    void listen(const std::string &address);
    // Opens the line and publishes it as portDir/name (portDir empty: the
    // library's default virtual-port directory). Returns false on failure.
    bool start(const std::string &name = "SIM1", const std::string &portDir = std::string());
    void stop();

    std::string portName() const;  // e.g. "SIM1"
    std::string linkPath() const;  // the published entry: a link, or a file holding url()
    std::string ttyPath() const;   // the pty slave, e.g. /dev/pts/7; "" on a TCP line
    std::string url() const;       // a TCP line's socket://HOST:PORT; "" on a pty
    std::string lastError() const; // why start() failed, for the user
    bool hungUp() const;           // the port was dropped (Faults::dropAfter)

    // Called on the serving thread; keep it short.
    void setEventHandler(EventHandler handler);

    void setFaults(const Faults &faults);
    Faults faults() const;

    // Replies with these raw bytes to the next request instead of the modelled
    // reply (still subject to chunking and delay), once.
    void scriptReply(const std::vector<uint8_t> &bytes);

    // The last sound request frames received, raw, in order: at most the
    // number given to keepRequests() (kDefaultKeptRequests until then; 0
    // keeps none), so a simulator left running does not grow.
    std::vector<std::vector<uint8_t>> requests() const;
    void clearRequests();
    void keepRequests(size_t count);
    int exchangeCount() const;

    // Device model access (thread-safe): parameter by command-code family.
    int32_t parameter(uint16_t getCode) const; // value a getter would return
    float frequency() const;                   // what getFrequency would return
    // As if a setter arrived, but without the range check, so tests can plant
    // any value.
    void setParameter(uint16_t setCode, int32_t v);
    std::string text(uint16_t readCode) const; // 0xFD name, 0xFE version, 0xFF serial
    void setText(uint16_t readCode, const std::string &value);
    int32_t tuning(uint16_t code) const; // 0x1000..0x1003, last value written

    // External trigger input (external-trigger mode runs one cycle per trigger).
    void trigger();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The directory where virtual ports are published: $KIVRA_PORT_DIR, else
// $XDG_RUNTIME_DIR/kivra-ports, else /tmp/kivra-ports-<uid>.
std::string defaultPortDir();

} // namespace kivrasim

#endif
