#include "pathtime.h"

#include <KivraBindings.h>
#include <KivraLine.h>
#include <kivra_portname.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace kivracli {

namespace {

constexpr int kSamples = 5;
// A state read on a local line.
constexpr double kLineTimeMs =
    std::chrono::duration<double, std::milli>(kivra::kValueExchangeLineTime).count();

} // namespace

bool isNetworkPort(const std::string &name)
{
    return kivra::resolvePortName(name).kind == kivra::PortKind::Network;
}

double measureRoundTripMs(int handle)
{
    const kivra::Getter readState = kivra::binding(KIVRA_PARAM_STATE)->get;
    std::vector<double> times;
    for (int i = 0; i < kSamples; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const int result = readState(handle);
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
