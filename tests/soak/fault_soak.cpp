// Fault soak: many exchanges through the exported API against the in-process
// simulated controller, each with a fault drawn at random, every result
// checked against the code its fault must give. A stale reply must never pass
// for a later call's: every parameter holds a value no other one can hold,
// and setters write fresh values each time, so a reply taken for the wrong
// call shows as a wrong result.
//
// The exchanges run in a forked child, so a crash is counted and reported
// instead of ending the run unseen; the parent prints the summary line.
//
// Usage: fault_soak [exchanges [seed]]   (default 100000, seed from the clock)
// Exit status: non-zero on any wrong result, crash or descriptor growth.
#include "KivraLibrary.h"
#include "budgetstretch.h"
#include "simulator.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr long kDefaultExchanges = 100000;
constexpr int kLateMs = 40;     // past the 30 ms budget, well within twice it (stretched)
constexpr int kPieceBytes = 5;  // a 14-byte reply in three pieces ...
constexpr int kPieceGapMs = 1;  // ... 2 ms apart in all, well within budget
constexpr int kMaxRecovery = 2; // -2 results tolerated after a failed exchange
constexpr int kReportedWrong = 20;
constexpr const char *kPortName = "SOAK";

enum Code
{
    kOk = KIVRA_OK,
    kNoReply = KIVRA_ERR_NO_REPLY,
    kBadStart = KIVRA_ERR_START,
    kBadLength = KIVRA_ERR_LENGTH,
    kRefused = KIVRA_ERR_REFUSED,
    kBadCheck = KIVRA_ERR_CHECK,
};

enum class Fault
{
    None,
    Silent,
    LateOnce,
    LateAlways,
    Pieces,
    BadStart,
    BadLength,
    BadStatus,
    BadCheck,
    Status238,
    Drop,
};

struct FaultKind
{
    Fault fault;
    const char *name;
    int perMille; // the timing faults cost 30-90 ms each, so they are rare
};

const FaultKind kMix[] = {
    {Fault::None, "none", 440},        {Fault::Silent, "silent", 3},
    {Fault::LateOnce, "late-once", 3}, {Fault::LateAlways, "late-always", 3},
    {Fault::Pieces, "pieces", 70},     {Fault::BadStart, "start", 80},
    {Fault::BadLength, "length", 80},  {Fault::BadStatus, "status", 80},
    {Fault::BadCheck, "check", 80},    {Fault::Status238, "status-238", 120},
    {Fault::Drop, "drop+replug", 41},
};
kivrasim::Faults faultsFor(Fault fault)
{
    kivrasim::Faults f;
    switch (fault) {
    case Fault::None:
    case Fault::Drop: // dropAfter is set at the time, from the exchange count
        break;
    case Fault::Silent:
        f.silent = true;
        break;
    case Fault::LateOnce:
        f.lateOnceMs = kivratest::stretchedMs(kLateMs);
        break;
    case Fault::LateAlways:
        f.replyDelayMs = kivratest::stretchedMs(kLateMs);
        break;
    case Fault::Pieces:
        f.chunkBytes = kPieceBytes;
        f.chunkGapMs = kPieceGapMs;
        break;
    case Fault::BadStart:
        f.corruptStart = true;
        break;
    case Fault::BadLength:
        f.corruptLength = true;
        break;
    case Fault::BadStatus:
        f.corruptStatus = true;
        break;
    case Fault::BadCheck:
        f.corruptCheck = true;
        break;
    case Fault::Status238:
        f.okStatus = 238;
        break;
    }
    return f;
}

// The result a call must give under a fault, when it gives its own. Replies
// are judged start word, length, status, check word in that order, so a
// refusal with a bad check word is still a refusal.
int expectedUnder(Fault fault, int own)
{
    switch (fault) {
    case Fault::Silent:
    case Fault::LateOnce:
    case Fault::LateAlways:
    case Fault::Drop:
        return kNoReply;
    case Fault::BadStart:
        return kBadStart;
    case Fault::BadLength:
        return kBadLength;
    case Fault::BadStatus:
        return kRefused;
    case Fault::BadCheck:
        return own == kRefused ? kRefused : kBadCheck;
    default:
        return own;
    }
}

// The controller's parameters as the soak has set them. Ranges never
// overlap, so no reply can be mistaken for another parameter's; setters'
// replies carry zeros, which no getter here reads.
struct Shadow
{
    int onTime = 20001;  // 20000..49999
    int offTime = 50001; // 50000..79999
    int cycles = 100001; // 100000..999999
    int lightLevel = 54; // planted, never set
    int lightTimeOut = 465;
    int idleLevel = 27;
};

void plant(kivrasim::Simulator &sim, const Shadow &s)
{
    sim.setParameter(0x03, s.onTime);
    sim.setParameter(0x04, s.offTime);
    sim.setParameter(0x05, s.cycles);
    sim.setParameter(0x08, s.lightLevel);
    sim.setParameter(0x09, s.lightTimeOut);
    sim.setParameter(0x0A, s.idleLevel);
}

// One call: runs it and says what its own reply would give. A set changes
// the shadow only once the controller has taken the request (every fault
// but a drop lets the request reach the device model).
struct Outcome
{
    int result;
    int own;
    const char *name;
};

Outcome runCall(int which, int handle, long n, Shadow &s, bool reachesDevice)
{
    switch (which) {
    case 0:
        return {getShutterOnTime(handle), s.onTime, "getShutterOnTime"};
    case 1:
        return {getShutterOffTime(handle), s.offTime, "getShutterOffTime"};
    case 2:
        return {getShutterCycleCount(handle), s.cycles, "getShutterCycleCount"};
    case 3:
        return {getLightLevel(handle), s.lightLevel, "getLightLevel"};
    case 4:
        return {getLightTimeOut(handle), s.lightTimeOut, "getLightTimeOut"};
    case 5:
        return {getLightIdleLevel(handle), s.idleLevel, "getLightIdleLevel"};
    case 6: {
        const int v = 20000 + static_cast<int>(n % 30000);
        const int r = setShutterOnTime(handle, v);
        if (reachesDevice)
            s.onTime = v;
        return {r, kOk, "setShutterOnTime"};
    }
    case 7: {
        const int v = 50000 + static_cast<int>(n % 30000);
        const int r = setShutterOffTime(handle, v);
        if (reachesDevice)
            s.offTime = v;
        return {r, kOk, "setShutterOffTime"};
    }
    case 8: {
        const int v = 100000 + static_cast<int>(n % 900000);
        const int r = setShutterCycleCount(handle, v);
        if (reachesDevice)
            s.cycles = v;
        return {r, kOk, "setShutterCycleCount"};
    }
    case 9:
        return {setShutterOnTime(handle, 7), kRefused, "setShutterOnTime(7)"};
    case 10:
        return {setLightLevel(handle, 101), kRefused, "setLightLevel(101)"};
    default:
        return {setShutterCycleCount(handle, 0), kRefused, "setShutterCycleCount(0)"};
    }
}
constexpr int kCalls = 12;

int openDescriptors()
{
    int count = 0;
    if (DIR *dir = ::opendir("/proc/self/fd")) {
        while (const dirent *entry = ::readdir(dir)) {
            count += entry->d_name[0] != '.' ? 1 : 0;
        }
        ::closedir(dir);
        --count; // the directory's own descriptor
    }
    return count;
}

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmRSS:") == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

// Written by the child, read by the parent once the child has ended.
struct Tally
{
    long exchanges;
    long faults;
    long wrong;
    long recovered; // -2 within the recovery window of a failed exchange
    long unreached; // -2 for a request the controller had not received by then
    int fdStart;
    int fdEnd;
    long rssStartKb;
    long rssEndKb;
    bool setUp;
    bool finished;
};

struct Line
{
    kivrasim::Simulator sim;
    int handle = -1;
    bool open(const Shadow &s)
    {
        if (!sim.start(kPortName))
            return false;
        plant(sim, s);
        sim.keepRequests(0);
        handle = openSerial(kPortName);
        return handle > 0;
    }
};

std::vector<double> mixWeights()
{
    std::vector<double> w;
    for (const FaultKind &k : kMix)
        w.push_back(k.perMille);
    return w;
}

// Runs the exchanges and fills the tally as it goes, so a crash leaves the
// count reached behind.
bool soak(long total, unsigned seed, Tally &t)
{
    std::mt19937 random(seed);
    const std::vector<double> weights = mixWeights();
    std::discrete_distribution<int> pickFault(weights.begin(), weights.end());
    std::uniform_int_distribution<int> pickCall(0, kCalls - 1);

    Shadow shadow;
    Line line;
    if (!line.open(shadow))
        return false;
    t.fdStart = openDescriptors();
    t.rssStartKb = residentKb();
    t.setUp = true;

    // After an exchange that ended without a complete reply the library
    // drops the late frame as it arrives ahead of the next reply; a reply
    // that is itself late, or a frame taken for the debt, makes the next
    // exchange fail with -2 too. Nothing else is acceptable, and never a
    // value from another call.
    int recoveryLeft = 0;
    for (long n = 0; n < total; ++n) {
        const int kind = pickFault(random);
        const Fault fault = kMix[kind].fault;
        kivrasim::Faults faults = faultsFor(fault);
        if (fault == Fault::Drop)
            faults.dropAfter = line.sim.exchangeCount();
        line.sim.setFaults(faults);

        const int takenBefore = line.sim.exchangeCount();
        const Outcome o = runCall(pickCall(random), line.handle, n, shadow, fault != Fault::Drop);
        // A busy host now and then hands a request to the simulated
        // controller only after the call's budget: -2 is then the right
        // answer, and its reply comes late like any other.
        const bool reached = line.sim.exchangeCount() != takenBefore;
        const int expected = expectedUnder(fault, o.own);
        ++t.exchanges;
        t.faults += fault != Fault::None ? 1 : 0;
        if (o.result == expected) {
            recoveryLeft = o.result == kNoReply ? kMaxRecovery : std::max(0, recoveryLeft - 1);
        } else if (o.result == kNoReply && recoveryLeft > 0) {
            ++t.recovered;
            --recoveryLeft;
        } else if (o.result == kNoReply && !reached) {
            ++t.unreached;
            recoveryLeft = kMaxRecovery;
        } else {
            if (++t.wrong <= kReportedWrong)
                std::fprintf(stderr, "exchange %ld: %s under %s gave %d, expected %d\n", n, o.name,
                             kMix[kind].name, o.result, expected);
            recoveryLeft = o.result == kNoReply ? kMaxRecovery : 0;
        }

        if (fault == Fault::Drop) {
            // Re-plug: the old handle must be dead, the new one clean.
            const int old = line.handle;
            closeSerial(old);
            line.sim.stop();
            line.sim.setFaults(kivrasim::Faults());
            if (!line.open(shadow)) {
                std::fprintf(stderr, "exchange %ld: cannot re-plug the port\n", n);
                return false;
            }
            if (getShutterOnTime(old) != kNoReply) {
                ++t.wrong;
                std::fprintf(stderr, "exchange %ld: closed handle %d still answers\n", n, old);
            }
            recoveryLeft = 0;
        }
    }
    line.sim.setFaults(kivrasim::Faults());
    t.fdEnd = openDescriptors();
    t.rssEndKb = residentKb();
    closeSerial(line.handle);
    t.finished = true;
    return true;
}

std::string mixText()
{
    std::string text;
    for (const FaultKind &k : kMix) {
        char part[48];
        std::snprintf(part, sizeof part, "%s%s %.1f%%", text.empty() ? "" : ", ", k.name,
                      k.perMille / 10.0);
        text += part;
    }
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    const long total = argc > 1 ? std::max(1L, std::atol(argv[1])) : kDefaultExchanges;
    const unsigned seed =
        argc > 2
            ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
            : static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());

    // A private port directory, so the soak meets no other ports.
    std::string dir = (std::filesystem::temp_directory_path() / "kivra-soak-XXXXXX").string();
    if (!::mkdtemp(dir.data()) || ::setenv("KIVRA_PORT_DIR", dir.c_str(), 1) != 0) {
        std::fprintf(stderr, "cannot make a port directory\n");
        return EXIT_FAILURE;
    }
    void *shared =
        ::mmap(nullptr, sizeof(Tally), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        std::fprintf(stderr, "cannot map the tally\n");
        return EXIT_FAILURE;
    }
    Tally &t = *new (shared) Tally{};
    std::printf("fault soak, seed %u, fault mix: %s\n", seed, mixText().c_str());
    std::fflush(stdout);

    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(soak(total, seed, t) ? EXIT_SUCCESS : EXIT_FAILURE);
    }
    int status = 0;
    const bool waited = child > 0 && ::waitpid(child, &status, 0) == child;
    const int crashes = waited && WIFSIGNALED(status) ? 1 : 0;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    if (!waited || (!t.setUp && crashes == 0)) {
        std::fprintf(stderr, "cannot start the simulated controller or open its port\n");
        return EXIT_FAILURE;
    }

    std::printf(
        "soak: seed %u, exchanges %ld, faults %ld, wrong results %ld, recovered -2 %ld, "
        "-2 before the controller had the request %ld, crashes %d%s, fds %d -> %d, "
        "rss %ld -> %ld kB\n",
        seed, t.exchanges, t.faults, t.wrong, t.recovered, t.unreached, crashes,
        crashes ? (std::string(" (signal ") + std::to_string(WTERMSIG(status)) + ")").c_str() : "",
        t.fdStart, t.finished ? t.fdEnd : -1, t.rssStartKb, t.finished ? t.rssEndKb : -1);
    const bool sound = crashes == 0 && t.finished && t.wrong == 0 && t.fdEnd <= t.fdStart;
    return sound ? EXIT_SUCCESS : EXIT_FAILURE;
}
