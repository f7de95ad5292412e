// The simulated controller's fault options, chosen per test or by command-line
// option. Plain data with no other dependency, so that test seams built
// without the simulator (the Windows tests, which start kivra-sim processes)
// share the one definition.
#ifndef KIVRA_SIM_FAULTS_H
#define KIVRA_SIM_FAULTS_H

#include <cstdint>

namespace kivrasim {

struct Faults
{
    bool silent = false;        // read requests, answer nothing
    int replyDelayMs = 0;       // wait this long before every reply
    int lateOnceMs = 0;         // > 0: the next reply only comes this late
    int chunkBytes = 0;         // > 0: send the reply in pieces of this size
    int chunkGapMs = 0;         // pause between pieces
    bool corruptStart = false;  // wrong start word
    bool corruptStatus = false; // status neither 1 nor 238
    bool corruptLength = false; // data length field off by two
    bool corruptCheck = false;  // wrong check word
    bool lineRate = false;      // pace bytes as 115200 baud 8N2 (11 bits a byte)
    int dropAfter = -1;         // >= 0: after this many exchanges, hang up at the next request
    uint16_t okStatus = 1;      // status of a good reply (1 or 238)
};

} // namespace kivrasim

#endif
