// The simulated controller behind ser2net behind a relay that delays, jitters
// and stalls the path, and rounds of calls that tell a wrong value from a
// failure: the off time holds a value nothing else holds, and the on time is
// read back against what the controller holds right after the read.
#ifndef KIVRA_TESTS_DELAYEDBRIDGE_H
#define KIVRA_TESTS_DELAYEDBRIDGE_H

#include "KivraLibrary.h"
#include "delayproxy_posix.h"
#include "ser2net_posix.h"
#include "simulator.h"

#include <chrono>
#include <string>

namespace delayed {

using Kind = Ser2Net::Kind;
using std::chrono::milliseconds;

constexpr uint16_t kSetOnTime = 0x03;
constexpr uint16_t kGetOnTime = 0x0E;
constexpr uint16_t kSetOffTime = 0x04;
constexpr int kOffTime = 777;      // held all along: any other reading is a wrong value
constexpr int kFirstOnTime = 1000; // on times count up from here, all distinct

inline const char *kindName(Kind kind)
{
    return kind == Kind::Rfc2217 ? "rfc2217" : "socket";
}

// The controller behind ser2net behind the relay.
struct DelayedBridge
{
    DelayedBridge(Kind kind, milliseconds delay, const kivrasim::Faults &faults = {})
    {
        static int serial = 0;
        simulator.setFaults(faults);
        simulator.setParameter(kSetOffTime, kOffTime);
        running = simulator.start("DELAYED" + std::to_string(++serial)) &&
                  ser2net.start(simulator.ttyPath(), kind) &&
                  proxy.start("127.0.0.1", ser2net.port());
        proxy.setDelay(delay);
        url = std::string(kind == Kind::Rfc2217 ? "rfc2217" : "socket") +
              "://127.0.0.1:" + std::to_string(proxy.port());
    }
    kivrasim::Simulator simulator;
    Ser2Net ser2net;
    DelayProxy proxy;
    std::string url;
    bool running = false;
};

// Tallies of a run of rounds: set the on time, read the off time, read the
// on time back.
struct Tally
{
    int exchanges = 0;
    int failures = 0;
    int wrong = 0;
    std::string firstWrong;
};

inline void runRounds(int handle, kivrasim::Simulator &simulator, int rounds, Tally &tally)
{
    for (int round = 0; round < rounds; ++round) {
        const int value = kFirstOnTime + tally.exchanges;
        const int set = setShutterOnTime(handle, value);
        const int off = getShutterOffTime(handle);
        const int on = getShutterOnTime(handle);
        const int held = simulator.parameter(kGetOnTime);
        tally.exchanges += 3;
        tally.failures += (set < 0) + (off < 0) + (on < 0);
        const bool wrongOff = off >= 0 && off != kOffTime;
        const bool wrongOn = on >= 0 && on != held;
        if ((wrongOff || wrongOn) && tally.wrong++ == 0) {
            tally.firstWrong = "round " + std::to_string(round) + ": set " + std::to_string(value) +
                               " gave " + std::to_string(set) + ", off time " +
                               std::to_string(off) + ", on time " + std::to_string(on) +
                               " (controller holds " + std::to_string(held) + ")";
        }
    }
}

} // namespace delayed

#endif
