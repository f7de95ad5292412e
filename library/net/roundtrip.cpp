#include "roundtrip.h"

#include <algorithm>

namespace kivra {

void RoundTrip::seed(Duration sample, bool settled)
{
    measured_ = false;
    this->sample(sample);
    settled_ = settled;
}

void RoundTrip::sample(Duration roundTrip)
{
    roundTrip = std::max(roundTrip, Duration::zero());
    if (!measured_) {
        smoothed_ = roundTrip;
        variation_ = roundTrip / 2;
        measured_ = true;
        return;
    }
    // RFC 6298: variation first, from the old smoothed value; gains 1/4, 1/8.
    const Duration error = smoothed_ > roundTrip ? smoothed_ - roundTrip : roundTrip - smoothed_;
    variation_ = (3 * variation_ + error) / 4;
    smoothed_ = (7 * smoothed_ + roundTrip) / 8;
}

RoundTrip::Duration RoundTrip::allowance() const
{
    Duration wait = smoothed_ + std::max<Duration>(kAllowanceGranularity, 4 * variation_);
    if (!settled_) {
        wait = std::max<Duration>(wait, kUnsettledAllowance);
    }
    return std::min<Duration>(wait, kMaxPathAllowance);
}

} // namespace kivra
