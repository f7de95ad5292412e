#include "device.h"

#include "KivraVocabulary.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kivrasim {

namespace {

struct ParamSpec
{
    uint16_t setCode;
    uint16_t getCode;
    int32_t initial;
};

// Every stored parameter with its factory default. The range a controller
// accepts is the vocabulary's (KivraVocabulary.h).
constexpr ParamSpec kParams[] = {
    {cmd::kSetState, cmd::kGetState, kStateClosed},
    {cmd::kSetMode, cmd::kGetMode, kModeManual},
    {cmd::kSetOnTime, cmd::kGetOnTime, 100},
    {cmd::kSetOffTime, cmd::kGetOffTime, 100},
    {cmd::kSetCycleCount, cmd::kGetCycleCount, 10},
    {cmd::kSetTriggerIn, cmd::kGetTriggerIn, 1},
    {cmd::kSetTriggerOut, cmd::kGetTriggerOut, 1},
    {cmd::kSetLightLevel, cmd::kGetLightLevel, 80},
    {cmd::kSetLightTimeOut, cmd::kGetLightTimeOut, 10},
    {cmd::kSetLightIdleLevel, cmd::kGetLightIdleLevel, 10},
    {cmd::kSetValveType, cmd::kGetValveType, 1},
    {cmd::kSetInitialState, cmd::kGetInitialState, kStateClosed},
    {cmd::kSetIO1Mode, cmd::kGetIO1Mode, 1},
    {cmd::kSetIO2Mode, cmd::kGetIO2Mode, 2},
};

bool inRange(uint16_t setCode, int32_t value)
{
    const KivraParameter *range = kivraParameterOfCode(setCode);
    return range && value >= range->min && value <= range->max;
}

const ParamSpec *bySetCode(uint16_t code)
{
    for (const ParamSpec &p : kParams) {
        if (p.setCode == code) {
            return &p;
        }
    }
    return nullptr;
}

const ParamSpec *byGetCode(uint16_t code)
{
    for (const ParamSpec &p : kParams) {
        if (p.getCode == code) {
            return &p;
        }
    }
    return nullptr;
}

bool isTuning(uint16_t code)
{
    return code >= cmd::kPwmDuty && code <= cmd::kEndPointTime;
}

std::vector<uint8_t> encode(int32_t value)
{
    std::vector<uint8_t> bytes(kValueBytes);
    const uint32_t u = static_cast<uint32_t>(value);
    for (size_t i = 0; i < kValueBytes; ++i) {
        bytes[i] = static_cast<uint8_t>(u >> (8 * i));
    }
    return bytes;
}

int32_t decode(const std::vector<uint8_t> &data)
{
    uint32_t u = 0;
    for (size_t i = 0; i < kValueBytes; ++i) {
        u |= static_cast<uint32_t>(data[i]) << (8 * i);
    }
    return static_cast<int32_t>(u);
}

// A text write stores its field up to the first zero byte.
std::string fieldText(const std::vector<uint8_t> &data)
{
    const size_t n = std::min(data.size(), kTextFieldBytes);
    const auto end =
        std::find(data.begin(), data.begin() + static_cast<long>(n), static_cast<uint8_t>(0));
    return std::string(data.begin(), end);
}

constexpr double kMsPerSecond = 1000.0;

} // namespace

DeviceModel::DeviceModel()
{
    for (const ParamSpec &p : kParams) {
        params_[p.setCode] = p.initial;
    }
    texts_[cmd::kReadName] = "KIVRA-SHUTTER";
    texts_[cmd::kReadVersion] = "V2.0.3";
    texts_[cmd::kReadSerial] = "KS20240001";
}

bool DeviceModel::running(TimePoint now) const
{
    return run_.active && now < run_.start + (run_.onTime + run_.offTime) * run_.cycles;
}

void DeviceModel::startRun(int64_t cycles, TimePoint now)
{
    run_.active = true;
    run_.start = now;
    run_.onTime = std::chrono::milliseconds(params_[cmd::kSetOnTime]);
    run_.offTime = std::chrono::milliseconds(params_[cmd::kSetOffTime]);
    run_.cycles = cycles;
    restState_ = kStateClosed;
}

void DeviceModel::stopRun()
{
    run_.active = false;
    restState_ = kStateClosed;
}

void DeviceModel::applyState(int32_t state, TimePoint now)
{
    const int32_t mode = params_[cmd::kSetMode];
    if (mode == kModeManual) {
        restState_ = state;
        return;
    }
    if (state != kStateOpen) {
        stopRun();
        return;
    }
    // In single and trigger mode an open command runs one cycle, like a
    // trigger given from the host.
    startRun(mode == kModeAutomatic ? params_[cmd::kSetCycleCount] : 1, now);
}

bool DeviceModel::set(uint16_t setCode, int32_t value, TimePoint now, bool checkRange)
{
    const ParamSpec *spec = bySetCode(setCode);
    if (!spec) {
        return false;
    }
    if (checkRange && !inRange(setCode, value)) {
        return false;
    }
    if (setCode == cmd::kSetState) {
        params_[setCode] = value;
        applyState(value, now);
        return true;
    }
    if (setCode == cmd::kSetMode && value != params_[setCode] && run_.active) {
        stopRun();
    }
    params_[setCode] = value;
    return true;
}

int32_t DeviceModel::value(uint16_t getCode, TimePoint now) const
{
    if (getCode == cmd::kGetFrequency) {
        return static_cast<int32_t>(frequency(now));
    }
    const ParamSpec *spec = byGetCode(getCode);
    if (!spec) {
        return 0;
    }
    if (getCode == cmd::kGetState) {
        if (!running(now)) {
            return restState_;
        }
        const auto period = run_.onTime + run_.offTime;
        const auto phase = (now - run_.start) % period;
        return phase < run_.onTime ? kStateOpen : kStateClosed;
    }
    return params_.at(spec->setCode);
}

float DeviceModel::frequency(TimePoint now) const
{
    if (!running(now)) {
        return 0.0f;
    }
    return static_cast<float>(kMsPerSecond /
                              static_cast<double>((run_.onTime + run_.offTime).count()));
}

std::string DeviceModel::text(uint16_t readCode) const
{
    const auto it = texts_.find(readCode);
    return it == texts_.end() ? std::string() : it->second;
}

void DeviceModel::setText(uint16_t readCode, const std::string &value)
{
    if (texts_.count(readCode)) {
        texts_[readCode] = value.substr(0, kTextFieldBytes);
    }
}

int32_t DeviceModel::tuning(uint16_t code) const
{
    const auto it = tuning_.find(code);
    return it == tuning_.end() ? 0 : it->second;
}

void DeviceModel::trigger(TimePoint now)
{
    // An edge that comes while a cycle still runs is ignored, as the input is
    // only watched between cycles.
    if (params_[cmd::kSetMode] == kModeExternalTrigger && !running(now)) {
        startRun(1, now);
    }
}

DeviceReply DeviceModel::textReply(uint16_t readCode) const
{
    DeviceReply reply;
    reply.data.assign(kTextFieldBytes, 0);
    const std::string t = text(readCode);
    std::memcpy(reply.data.data(), t.data(), std::min(t.size(), kTextFieldBytes));
    return reply;
}

DeviceReply DeviceModel::handle(uint16_t code, const std::vector<uint8_t> &data, TimePoint now)
{
    if (code == cmd::kGetFrequency) {
        const float f = frequency(now);
        uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        return DeviceReply{true, encode(static_cast<int32_t>(bits))};
    }
    if (byGetCode(code)) {
        return DeviceReply{true, encode(value(code, now))};
    }
    if (bySetCode(code) || isTuning(code)) {
        DeviceReply reply{false, std::vector<uint8_t>(kValueBytes, 0)};
        if (data.size() != kValueBytes) {
            return reply;
        }
        if (isTuning(code)) {
            tuning_[code] = decode(data);
            reply.accepted = true;
        } else {
            reply.accepted = set(code, decode(data), now);
        }
        return reply;
    }
    switch (code) {
    case cmd::kReadName:
    case cmd::kReadVersion:
    case cmd::kReadSerial:
        return textReply(code);
    case cmd::kWriteName:
        texts_[cmd::kReadName] = fieldText(data);
        return textReply(cmd::kReadName);
    case cmd::kWriteSerial:
        texts_[cmd::kReadSerial] = fieldText(data);
        return textReply(cmd::kReadSerial);
    default:
        // Debug data: a code the controller does not know is answered with an
        // echo of its data.
        return DeviceReply{true, data};
    }
}

} // namespace kivrasim
