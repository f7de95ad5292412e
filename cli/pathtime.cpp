#include "pathtime.h"

#include <KivraLibrary.h>
#include <kivra_portname.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace kivracli {

namespace {

constexpr int kSamples = 5;
// A state read on a local line: a 12-byte request and a 14-byte reply of 11
// bits a byte (8N2 with its start bit) at 115200 baud.
constexpr double kLineTimeMs = (12 + 14) * 11 * 1000.0 / 115200;

} // namespace

bool isNetworkPort(const std::string &name)
{
    return kivra::resolvePortName(name).kind == kivra::PortKind::Network;
}

double measureRoundTripMs(int handle)
{
    std::vector<double> times;
    for (int i = 0; i < kSamples; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const int result = getShutterState(handle);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        if (result < 0) {
            return result;
        }
        times.push_back(took.count());
    }
    std::nth_element(times.begin(), times.begin() + kSamples / 2, times.end());
    return std::max(0.0, times[kSamples / 2] - kLineTimeMs);
}

std::string formatRoundTrip(double ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", ms);
    return text;
}

} // namespace kivracli
