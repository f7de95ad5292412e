// Device model of the simulated shutter controller: the stored parameters, the
// identity texts and the shutter itself. Time is passed in by the caller, so
// the shutter's state is computed from a clock instead of being stepped by a
// timer, and tests can drive it with made-up instants.
#ifndef KIVRA_SIM_DEVICE_H
#define KIVRA_SIM_DEVICE_H

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kivrasim {

namespace cmd {
constexpr uint16_t kSetState = 0x01;
constexpr uint16_t kSetMode = 0x02;
constexpr uint16_t kSetOnTime = 0x03;
constexpr uint16_t kSetOffTime = 0x04;
constexpr uint16_t kSetCycleCount = 0x05;
constexpr uint16_t kSetTriggerIn = 0x06;
constexpr uint16_t kSetTriggerOut = 0x07;
constexpr uint16_t kSetLightLevel = 0x08;
constexpr uint16_t kSetLightTimeOut = 0x09;
constexpr uint16_t kSetLightIdleLevel = 0x0A;
constexpr uint16_t kSetValveType = 0x0B;
constexpr uint16_t kGetState = 0x0C;
constexpr uint16_t kGetMode = 0x0D;
constexpr uint16_t kGetOnTime = 0x0E;
constexpr uint16_t kGetOffTime = 0x0F;
constexpr uint16_t kGetCycleCount = 0x10;
constexpr uint16_t kGetTriggerIn = 0x11;
constexpr uint16_t kGetTriggerOut = 0x12;
constexpr uint16_t kGetLightLevel = 0x13;
constexpr uint16_t kGetLightTimeOut = 0x14;
constexpr uint16_t kGetLightIdleLevel = 0x15;
constexpr uint16_t kGetValveType = 0x16;
constexpr uint16_t kGetFrequency = 0x17;
constexpr uint16_t kSetInitialState = 0x18;
constexpr uint16_t kGetInitialState = 0x19;
constexpr uint16_t kSetIO1Mode = 0x1A;
constexpr uint16_t kSetIO2Mode = 0x1B;
constexpr uint16_t kGetIO1Mode = 0x1C;
constexpr uint16_t kGetIO2Mode = 0x1D;
constexpr uint16_t kWriteName = 0xFA;
constexpr uint16_t kWriteSerial = 0xFC;
constexpr uint16_t kReadName = 0xFD;
constexpr uint16_t kReadVersion = 0xFE;
constexpr uint16_t kReadSerial = 0xFF;
constexpr uint16_t kPwmDuty = 0x1000;
constexpr uint16_t kPwmHz = 0x1001;
constexpr uint16_t kEndPointPwm = 0x1002;
constexpr uint16_t kEndPointTime = 0x1003;
} // namespace cmd

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
