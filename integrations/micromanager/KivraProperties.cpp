#include "KivraProperties.h"

#include <KivraLibrary.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace kivramm {

namespace {

// The ranges the controller accepts and the program's settings dialog uses,
// as the public header documents them at the setters.
constexpr int kMinTimeMs = 20;
constexpr int kMaxTimeMs = 100000;
constexpr int kMinCycles = 1;
constexpr int kMaxCycles = 1000000;
constexpr int kMaxPercent = 100;
constexpr int kMaxSleepMinutes = 480;

// Value words for codes 1, 2, ... in the command-line tool's spelling, so a
// user meets the same words in every client.
const std::vector<const char *> kOpenClosed = {"open", "closed"};
const std::vector<const char *> kModes = {"manual", "single", "auto", "trigger"};
const std::vector<const char *> kValves = {"KD08-40", "KD2-40"};
const std::vector<const char *> kEdges = {"rising", "falling"};
const std::vector<const char *> kLevels = {"high", "low"};
const std::vector<const char *> kLineFunctions = {"input", "output"};

struct Result
{
    int code;
    const char *name;
    const char *text;
};

const Result kResults[] = {
    {KIVRA_ERR_ARGUMENT, "KIVRA_ERR_ARGUMENT",
     "bad argument, or a port that cannot be opened; nothing was sent"},
    {KIVRA_ERR_NO_REPLY, "KIVRA_ERR_NO_REPLY",
     "no complete answer from the controller within the attempt budget (about 30 ms): "
     "controller silent or unplugged, or the port is no longer open"},
    {KIVRA_ERR_START, "KIVRA_ERR_START", "the reply's start word is wrong"},
    {KIVRA_ERR_LENGTH, "KIVRA_ERR_LENGTH", "the reply's byte count does not match its data"},
    {KIVRA_ERR_REFUSED, "KIVRA_ERR_REFUSED",
     "the controller refused the request, for example a value out of range"},
    {KIVRA_ERR_CHECK, "KIVRA_ERR_CHECK", "the reply's check word is wrong"},
    {KIVRA_ERR_NO_DATA, "KIVRA_ERR_NO_DATA", "a good reply without usable data"},
};

const Result *findResult(int code)
{
    for (const Result &result : kResults) {
        if (result.code == code) {
            return &result;
        }
    }
    return nullptr;
}

} // namespace

const std::vector<Parameter> &parameters()
{
    static const std::vector<Parameter> table = {
        {"Mode", "operating mode", "", 1, 4, kModes, getShutterMode, setShutterMode},
        {"OpenTime-ms",
         "open time of a cycle",
         "ms",
         kMinTimeMs,
         kMaxTimeMs,
         {},
         getShutterOnTime,
         setShutterOnTime},
        {"CloseTime-ms",
         "closed time of a cycle",
         "ms",
         kMinTimeMs,
         kMaxTimeMs,
         {},
         getShutterOffTime,
         setShutterOffTime},
        {"CycleCount",
         "cycles of an automatic sequence",
         "",
         kMinCycles,
         kMaxCycles,
         {},
         getShutterCycleCount,
         setShutterCycleCount},
        {"ValveType", "valve model", "", 1, 2, kValves, getValveType, setValveType},
        {"InitialState", "shutter state at power-on", "", 1, 2, kOpenClosed, getInitialState,
         setInitialState},
        {"TriggerInputEdge", "trigger input edge", "", 1, 2, kEdges, getShutterTriggerInMode,
         setShutterTriggerInMode},
        {"TriggerOutputLevel", "trigger output level", "", 1, 2, kLevels, getShutterTriggerOutMode,
         setShutterTriggerOutMode},
        {"IO1Function", "IO1 line function", "", 1, 2, kLineFunctions, getIO1TriggerMode,
         setIO1TriggerMode},
        {"IO2Function", "IO2 line function", "", 1, 2, kLineFunctions, getIO2TriggerMode,
         setIO2TriggerMode},
        {"BacklightBrightness-%",
         "backlight brightness",
         "%",
         0,
         kMaxPercent,
         {},
         getLightLevel,
         setLightLevel},
        {"BacklightSleepTime-min",
         "idle time before the backlight dims",
         "min",
         0,
         kMaxSleepMinutes,
         {},
         getLightTimeOut,
         setLightTimeOut},
        {"BacklightSleepBrightness-%",
         "backlight brightness when dimmed",
         "%",
         0,
         kMaxPercent,
         {},
         getLightIdleLevel,
         setLightIdleLevel},
    };
    return table;
}

const Parameter *findParameter(const std::string &property)
{
    for (const Parameter &param : parameters()) {
        if (property == param.property) {
            return &param;
        }
    }
    return nullptr;
}

const Parameter &openTimeParameter()
{
    return *findParameter("OpenTime-ms");
}

int singleMode()
{
    return KIVRA_MODE_SINGLE;
}

std::string formatValue(const Parameter &param, int value)
{
    if (value >= 1 && static_cast<size_t>(value) <= param.words.size()) {
        return param.words[static_cast<size_t>(value) - 1];
    }
    return std::to_string(value);
}

bool parseValue(const Parameter &param, const std::string &text, int *value, std::string *error)
{
    if (!param.words.empty()) {
        for (size_t i = 0; i < param.words.size(); ++i) {
            if (text == param.words[i]) {
                *value = static_cast<int>(i) + 1;
                return true;
            }
        }
        *error = std::string(param.property) + " '" + text + "' is not a value of the " +
                 param.meaning + ": use " + describeRange(param);
        return false;
    }
    char *end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE) {
        *error = std::string(param.property) + " '" + text + "' is not a whole number: use " +
                 describeRange(param);
        return false;
    }
    if (number < param.min || number > param.max) {
        *error = std::string(param.property) + " " + text + " is out of range: use " +
                 describeRange(param) + "; nothing was sent";
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

std::string describeRange(const Parameter &param)
{
    if (param.words.empty()) {
        const std::string range = std::to_string(param.min) + " to " + std::to_string(param.max);
        return *param.unit ? range + " " + param.unit : range;
    }
    std::string words;
    for (size_t i = 0; i < param.words.size(); ++i) {
        if (i > 0) {
            words += i + 1 == param.words.size() ? " or " : ", ";
        }
        words += param.words[i];
    }
    return words;
}

int stateValue(bool open)
{
    return open ? KIVRA_STATE_OPEN : KIVRA_STATE_CLOSED;
}

bool isOpenState(int value)
{
    return value == KIVRA_STATE_OPEN;
}

const char *resultName(int code)
{
    const Result *result = findResult(code);
    return result ? result->name : "KIVRA_ERR_UNKNOWN";
}

const char *resultText(int code)
{
    const Result *result = findResult(code);
    return result ? result->text : "a failure code this adapter does not know";
}

const std::vector<int> &failureCodes()
{
    static const std::vector<int> codes = [] {
        std::vector<int> all;
        for (const Result &result : kResults) {
            all.push_back(result.code);
        }
        return all;
    }();
    return codes;
}

} // namespace kivramm
