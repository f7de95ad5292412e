// Latency of one get exchange against the in-process simulated controller
// sending at the real line rate, next to the physical limit; and the cost of
// a silent controller, bounded by the attempt budget.
//
// Usage: exchange_bench [exchanges]   (default 2000; silent runs use 1/20)
#include "KivraLibrary.h"
#include "simulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultExchanges = 2000;
constexpr int kSilentShare = 20;
constexpr int kWarmUp = 20;
constexpr double kBaud = 115200.0;
constexpr double kBitsPerByte = 11.0; // start, 8 data, 2 stop
constexpr int kRequestBytes = 12;
constexpr int kReplyBytes = 14;
constexpr double kBudgetMs = 30.0; // getter attempts x 1 ms

struct Figures
{
    double median;
    double p99;
};

Figures measure(int handle, int exchanges, int *failures)
{
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(exchanges));
    *failures = 0;
    for (int i = 0; i < exchanges; ++i) {
        const auto start = Clock::now();
        const int result = getShutterOnTime(handle);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        *failures += result < 0 ? 1 : 0;
    }
    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double q) {
        return ms[std::min(ms.size() - 1, static_cast<size_t>(q * static_cast<double>(ms.size())))];
    };
    return {at(0.5), at(0.99)};
}

bool run(kivrasim::Simulator &sim, const kivrasim::Faults &faults, int exchanges, const char *title,
         double reference, const char *referenceName)
{
    sim.setFaults(faults);
    const int handle = openSerial(sim.portName().c_str());
    if (handle < 0) {
        std::fprintf(stderr, "cannot open %s\n", sim.portName().c_str());
        return false;
    }
    int failures = 0;
    measure(handle, std::min(kWarmUp, exchanges), &failures);
    const Figures f = measure(handle, exchanges, &failures);
    closeSerial(handle);
    std::printf("%s (%d exchanges, %d failed)\n", title, exchanges, failures);
    std::printf("  median %7.3f ms   p99 %7.3f ms   %s %7.3f ms   median/%s %.3f\n", f.median,
                f.p99, referenceName, reference, referenceName, f.median / reference);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int exchanges = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultExchanges;

    // A private port directory, so the benchmark never meets other ports.
    std::string dir = (std::filesystem::temp_directory_path() / "kivra-bench-XXXXXX").string();
    if (!mkdtemp(dir.data())) {
        return EXIT_FAILURE;
    }
    setenv("KIVRA_PORT_DIR", dir.c_str(), 1);

    kivrasim::Simulator sim;
    if (!sim.start("BENCH")) {
        std::fprintf(stderr, "cannot start the simulator\n");
        return EXIT_FAILURE;
    }

    const double lineLimitMs = (kRequestBytes + kReplyBytes) * kBitsPerByte / kBaud * 1000.0;
    kivrasim::Faults lineRate;
    lineRate.lineRate = true;
    kivrasim::Faults silent;
    silent.silent = true;

    const bool ok =
        run(sim, lineRate, exchanges, "get exchange at 115200 baud 8N2", lineLimitMs, "limit") &&
        run(sim, silent, std::max(1, exchanges / kSilentShare), "silent controller", kBudgetMs,
            "budget");

    sim.stop();
    std::filesystem::remove_all(dir);
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
