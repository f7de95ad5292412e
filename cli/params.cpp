#include "params.h"

#include <KivraLibrary.h>

#include <cerrno>
#include <cstdlib>

namespace kivracli {

namespace {

// The ranges are those of the program's settings dialog, which are also what
// the controller accepts.
constexpr int kMinTimeMs = 20;
constexpr int kMaxTimeMs = 100000;
constexpr int kMinCycles = 1;
constexpr int kMaxCycles = 1000000;
constexpr int kMaxLevel = 100;
constexpr int kMaxSleepMinutes = 480;

const std::vector<const char *> kOpenClosed = {"open", "closed"};

} // namespace

const std::vector<Param> &params()
{
    static const std::vector<Param> table = {
        {"state", "", "shutter state", 1, 2, kOpenClosed, getShutterState, setShutterState},
        {"mode",
         "",
         "operating mode",
         1,
         4,
         {"manual", "single", "auto", "trigger"},
         getShutterMode,
         setShutterMode},
        {"on-time",
         "ms",
         "shutter open time",
         kMinTimeMs,
         kMaxTimeMs,
         {},
         getShutterOnTime,
         setShutterOnTime},
        {"off-time",
         "ms",
         "shutter close time",
         kMinTimeMs,
         kMaxTimeMs,
         {},
         getShutterOffTime,
         setShutterOffTime},
        {"cycles",
         "",
         "cycle count of an automatic run",
         kMinCycles,
         kMaxCycles,
         {},
         getShutterCycleCount,
         setShutterCycleCount},
        {"valve", "", "valve model", 1, 2, {"KD08-40", "KD2-40"}, getValveType, setValveType},
        {"initial-state", "", "shutter state at power-on", 1, 2, kOpenClosed, getInitialState,
         setInitialState},
        {"trigger-in",
         "",
         "trigger input edge",
         1,
         2,
         {"rising", "falling"},
         getShutterTriggerInMode,
         setShutterTriggerInMode},
        {"trigger-out",
         "",
         "trigger output level",
         1,
         2,
         {"high", "low"},
         getShutterTriggerOutMode,
         setShutterTriggerOutMode},
        {"io1",
         "",
         "IO1 line function",
         1,
         2,
         {"input", "output"},
         getIO1TriggerMode,
         setIO1TriggerMode},
        {"io2",
         "",
         "IO2 line function",
         1,
         2,
         {"input", "output"},
         getIO2TriggerMode,
         setIO2TriggerMode},
        {"light", "", "backlight brightness", 0, kMaxLevel, {}, getLightLevel, setLightLevel},
        {"light-idle",
         "",
         "backlight sleep brightness",
         0,
         kMaxLevel,
         {},
         getLightIdleLevel,
         setLightIdleLevel},
        {"light-timeout",
         "min",
         "backlight sleep time",
         0,
         kMaxSleepMinutes,
         {},
         getLightTimeOut,
         setLightTimeOut},
    };
    return table;
}

const Param *findParam(const std::string &name)
{
    for (const Param &param : params()) {
        if (name == param.name) {
            return &param;
        }
    }
    return nullptr;
}

bool parseValue(const Param &param, const std::string &text, int *value, std::string *error)
{
    for (size_t i = 0; i < param.words.size(); ++i) {
        if (text == param.words[i]) {
            *value = static_cast<int>(i) + 1;
            return true;
        }
    }
    char *end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE) {
        *error = "'" + text + "' is not a value of " + param.name + ": use " + describeRange(param);
        return false;
    }
    if (number < param.min || number > param.max) {
        *error =
            std::string(param.name) + " " + text + " is out of range: use " + describeRange(param);
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

std::string formatValue(const Param &param, int value)
{
    if (value >= 1 && static_cast<size_t>(value) <= param.words.size()) {
        return param.words[static_cast<size_t>(value) - 1];
    }
    return std::to_string(value);
}

std::string describeRange(const Param &param)
{
    std::string range = std::to_string(param.min) + " to " + std::to_string(param.max);
    if (param.words.empty()) {
        return *param.unit ? range + " " + param.unit : range;
    }
    std::string words;
    for (const char *word : param.words) {
        words += (words.empty() ? "" : "|") + std::string(word);
    }
    return words + " or " + range;
}

} // namespace kivracli
