// Device model of the simulated shutter controller: the stored parameters, the
// identity texts and the shutter itself. Time is passed in by the caller, so
// the shutter's state is computed from a clock instead of being stepped by a
// timer, and tests can drive it with made-up instants.
#ifndef KIVRA_SIM_DEVICE_H
#define KIVRA_SIM_DEVICE_H

#include "commands.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kivrasim {

constexpr int32_t kStateOpen = 1;
constexpr int32_t kStateClosed = 2;
constexpr int32_t kModeManual = 1;
constexpr int32_t kModeSingle = 2;
constexpr int32_t kModeAutomatic = 3;
constexpr int32_t kModeExternalTrigger = 4;

constexpr size_t kValueBytes = 4;
constexpr size_t kTextFieldBytes = 32;

struct DeviceReply
{
    bool accepted = true; // false: the value or request was refused
    std::vector<uint8_t> data;
};

class DeviceModel
{
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    DeviceModel();

    // Acts on one request and returns what the reply carries.
    DeviceReply handle(uint16_t code, const std::vector<uint8_t> &data, TimePoint now);

    // What a getter (or getFrequency, truncated) would return at now; 0 for
    // codes that are not getters.
    int32_t value(uint16_t getCode, TimePoint now) const;
    float frequency(TimePoint now) const;

    // Applies a setter's value with its side effects. With checkRange false a
    // value outside the parameter's range is stored too (tests plant such
    // values). False when the code is no setter or the value is refused.
    bool set(uint16_t setCode, int32_t value, TimePoint now, bool checkRange = true);

    std::string text(uint16_t readCode) const;
    void setText(uint16_t readCode, const std::string &value);
    int32_t tuning(uint16_t code) const;

    // The external trigger input saw an edge.
    void trigger(TimePoint now);

private:
    // A run of cycles keeps the times it started with; changing them takes
    // effect at the next run.
    struct Run
    {
        bool active = false;
        TimePoint start;
        std::chrono::milliseconds onTime{0};
        std::chrono::milliseconds offTime{0};
        int64_t cycles = 0;
    };

    bool running(TimePoint now) const;
    void startRun(int64_t cycles, TimePoint now);
    void stopRun();
    void applyState(int32_t state, TimePoint now);
    DeviceReply textReply(uint16_t readCode) const;

    std::map<uint16_t, int32_t> params_; // by setter code
    std::map<uint16_t, int32_t> tuning_;
    std::map<uint16_t, std::string> texts_; // by read code
    int32_t restState_ = kStateClosed;      // the state when no cycle runs
    Run run_;
};

} // namespace kivrasim

#endif
