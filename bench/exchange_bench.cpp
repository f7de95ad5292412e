// Latency of one get exchange against a simulated controller sending at the
// real line rate, next to the physical limit; and the cost of a silent
// controller, bounded by the attempt budget. The controller comes through the
// tests' port seam: in-process on Linux, a kivra-sim process under wine.
// Last, the aggregate rate of 8 line-rate ports driven by 8 threads against
// one port on one thread: calls on different handles must not wait for one
// another.
//
// Usage: exchange_bench [exchanges]   (default 2000; silent runs use 1/20)
#include "KivraLibrary.h"
#include "KivraVocabulary.h"
#include "KivraLine.h"
#include "benchports.h"
#include "simport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultExchanges = 2000;
constexpr int kSilentShare = 20;
constexpr int kWarmUp = 20;
constexpr int kParallelPorts = 8;

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

bool run(const SimOptions &options, int exchanges, const char *title, double reference,
         const char *referenceName)
{
    SimPort sim(options);
    const int handle = sim.isRunning() ? openSerial(sim.name().c_str()) : -1;
    if (handle < 0) {
        std::fprintf(stderr, "cannot start or open the simulated port %s\n", sim.name().c_str());
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

// Exchanges per second over `ports` line-rate ports, one thread each, every
// thread running exchanges calls; -1 when a port cannot be had.
double aggregateRate(int ports, int exchanges, int *failures)
{
    SimOptions lineRate;
    lineRate.lineRate = true;
    std::vector<std::unique_ptr<SimPort>> sims;
    std::vector<int> handles;
    for (int i = 0; i < ports; ++i) {
        sims.push_back(std::make_unique<SimPort>(lineRate));
        const int handle = sims.back()->isRunning() ? openSerial(sims.back()->name().c_str()) : -1;
        if (handle < 0) {
            std::fprintf(stderr, "cannot start or open the simulated port %s\n",
                         sims.back()->name().c_str());
            for (const int h : handles) {
                closeSerial(h);
            }
            return -1.0;
        }
        handles.push_back(handle);
    }
    std::vector<int> failed(static_cast<size_t>(ports), 0);
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (int i = 0; i < ports; ++i) {
        threads.emplace_back([&, i] {
            const auto at = static_cast<size_t>(i);
            measure(handles[at], exchanges, &failed[at]);
        });
    }
    for (std::thread &t : threads) {
        t.join();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    *failures = 0;
    for (int i = 0; i < ports; ++i) {
        closeSerial(handles[static_cast<size_t>(i)]);
        *failures += failed[static_cast<size_t>(i)];
    }
    return ports * exchanges / seconds;
}

bool runParallel(int exchanges)
{
    int oneFailed = 0;
    int manyFailed = 0;
    const double one = aggregateRate(1, exchanges, &oneFailed);
    const double many = one > 0 ? aggregateRate(kParallelPorts, exchanges, &manyFailed) : -1.0;
    if (many <= 0) {
        return false;
    }
    std::printf("%d line-rate ports on %d threads against 1 port on 1 thread (%d exchanges each, "
                "%d failed)\n",
                kParallelPorts, kParallelPorts, exchanges, oneFailed + manyFailed);
    std::printf("  1 port %8.0f exchanges/s   %d ports %8.0f exchanges/s   ratio %.2f\n", one,
                kParallelPorts, many, many / one);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const int exchanges = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultExchanges;

    BenchPortScope ports;
    if (!ports.ready()) {
        std::fprintf(stderr, "cannot prepare the simulated ports\n");
        return EXIT_FAILURE;
    }

    const double lineLimitMs =
        std::chrono::duration<double, std::milli>(kivra::kValueExchangeLineTime).count();
    SimOptions lineRate;
    lineRate.lineRate = true;
    SimOptions silent;
    silent.silent = true;
    // The vocabulary's attempts are the budget in ms.
    const double budgetMs = kivraExchange(KIVRA_EXCHANGE_GET)->attempts;

    const bool ok =
        run(lineRate, exchanges, "get exchange at 115200 baud 8N2", lineLimitMs, "limit") &&
        run(silent, std::max(1, exchanges / kSilentShare), "silent controller", budgetMs,
            "budget") &&
        runParallel(exchanges);
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
