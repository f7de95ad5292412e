// Exchange time through ser2net over loopback, raw and with RFC 2217, beside
// the same simulated controller reached directly on its pseudo-terminal, in
// one run; then through a relay that delays each way by 10 and 50 ms, against
// the line time plus that round trip. The controller sends at the real line
// rate.
//
// Usage: net_bench [exchanges]   (default 2000; the delayed paths run a tenth)
#include "KivraLibrary.h"
#include "KivraLine.h"
#include "benchports.h"
#include "delayproxy_posix.h"
#include "ser2net_posix.h"
#include "simulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultExchanges = 2000;
constexpr int kWarmUp = 50;
constexpr double kMedian = 0.5;
constexpr double kP99 = 0.99;
// A get exchange on the line.
constexpr double kLineTimeMs =
    std::chrono::duration<double, std::milli>(kivra::kValueExchangeLineTime).count();
constexpr int kDelaysMs[] = {0, 10, 50};

struct Figures
{
    double median = 0;
    double p99 = 0;
    int failures = 0;
};

Figures measure(const std::string &name, int exchanges)
{
    Figures f;
    const int handle = openSerial(name.c_str());
    if (handle < 0) {
        f.failures = exchanges;
        return f;
    }
    for (int i = 0; i < kWarmUp; ++i) {
        getShutterOnTime(handle);
    }
    std::vector<double> ms;
    for (int i = 0; i < exchanges; ++i) {
        const auto start = Clock::now();
        f.failures += getShutterOnTime(handle) < 0 ? 1 : 0;
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    closeSerial(handle);
    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double q) {
        return ms[std::min(ms.size() - 1, static_cast<size_t>(q * static_cast<double>(ms.size())))];
    };
    f.median = at(kMedian);
    f.p99 = at(kP99);
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    const int exchanges = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultExchanges;
    BenchPortScope ports;
    kivrasim::Simulator simulator;
    kivrasim::Faults faults;
    faults.lineRate = true;
    simulator.setFaults(faults);
    if (!ports.ready() || !simulator.start("NETBENCH")) {
        std::fprintf(stderr, "cannot start the simulated controller\n");
        return EXIT_FAILURE;
    }
    // One server at a time: two accepters on one device would turn each
    // other away while a connection closes.
    const Figures direct = measure(simulator.portName(), exchanges);
    Figures kinds[2];
    const Ser2Net::Kind order[2] = {Ser2Net::Kind::Raw, Ser2Net::Kind::Rfc2217};
    std::string urls[2];
    for (int i = 0; i < 2; ++i) {
        Ser2Net bridge;
        if (!bridge.start(simulator.ttyPath(), order[i])) {
            std::fprintf(stderr, "cannot start ser2net\n");
            return EXIT_FAILURE;
        }
        urls[i] = bridge.url();
        kinds[i] = measure(urls[i], exchanges);
    }
    std::printf("get exchange at 115200 baud 8N2, %d exchanges each; ser2net 4 with\n"
                "tcp(nodelay) accepters, chardelay: false, on 127.0.0.1\n",
                exchanges);
    std::printf("  %-34s median %7.3f ms   p99 %7.3f ms   failed %d\n", "direct pseudo-terminal",
                direct.median, direct.p99, direct.failures);
    const char *labels[2] = {"socket:// (raw TCP)", "rfc2217:// (telnet)"};
    for (int i = 0; i < 2; ++i) {
        std::printf("  %-34s median %7.3f ms   p99 %7.3f ms   failed %d   median/direct %.3f\n",
                    labels[i], kinds[i].median, kinds[i].p99, kinds[i].failures,
                    kinds[i].median / direct.median);
    }
    // The delayed paths: the relay between the library and ser2net.
    std::printf("through a relay delaying each way (median against line time + round trip;"
                " goal 1.10)\n");
    for (int i = 0; i < 2; ++i) {
        Ser2Net bridge;
        if (!bridge.start(simulator.ttyPath(), order[i])) {
            std::fprintf(stderr, "cannot start ser2net\n");
            return EXIT_FAILURE;
        }
        for (const int delay : kDelaysMs) {
            DelayProxy proxy;
            if (!proxy.start("127.0.0.1", bridge.port())) {
                std::fprintf(stderr, "cannot start the relay\n");
                return EXIT_FAILURE;
            }
            proxy.setDelay(std::chrono::milliseconds(delay));
            const std::string url =
                std::string(order[i] == Ser2Net::Kind::Raw ? "socket" : "rfc2217") +
                "://127.0.0.1:" + std::to_string(proxy.port());
            const Figures f = measure(url, std::max(1, exchanges / 10));
            const double reference = kLineTimeMs + 2.0 * delay;
            char label[64];
            std::snprintf(label, sizeof label, "%s, %d ms each way", labels[i], delay);
            std::printf("  %-34s median %7.3f ms   p99 %7.3f ms   failed %d   median/(line+rtt) "
                        "%.3f\n",
                        label, f.median, f.p99, f.failures, f.median / reference);
        }
    }
    return EXIT_SUCCESS;
}
