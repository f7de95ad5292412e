#include "KivraProperties.h"

#include <KivraLibrary.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace kivramm {

namespace {

// What Micro-Manager shows of each parameter: its property and the library
// functions behind it. The rest is the vocabulary's row.
struct Property
{
    const char *name;
    KivraParameterId id;
    Getter get;
    Setter set;
};

constexpr Property kProperties[] = {
    {"Mode", KIVRA_PARAM_MODE, getShutterMode, setShutterMode},
    {"OpenTime-ms", KIVRA_PARAM_ON_TIME, getShutterOnTime, setShutterOnTime},
    {"CloseTime-ms", KIVRA_PARAM_OFF_TIME, getShutterOffTime, setShutterOffTime},
    {"CycleCount", KIVRA_PARAM_CYCLES, getShutterCycleCount, setShutterCycleCount},
    {"ValveType", KIVRA_PARAM_VALVE, getValveType, setValveType},
    {"InitialState", KIVRA_PARAM_INITIAL_STATE, getInitialState, setInitialState},
    {"TriggerInputEdge", KIVRA_PARAM_TRIGGER_IN, getShutterTriggerInMode, setShutterTriggerInMode},
    {"TriggerOutputLevel", KIVRA_PARAM_TRIGGER_OUT, getShutterTriggerOutMode,
     setShutterTriggerOutMode},
    {"IO1Function", KIVRA_PARAM_IO1, getIO1TriggerMode, setIO1TriggerMode},
    {"IO2Function", KIVRA_PARAM_IO2, getIO2TriggerMode, setIO2TriggerMode},
    {"BacklightBrightness-%", KIVRA_PARAM_LIGHT, getLightLevel, setLightLevel},
    {"BacklightSleepTime-min", KIVRA_PARAM_LIGHT_TIMEOUT, getLightTimeOut, setLightTimeOut},
    {"BacklightSleepBrightness-%", KIVRA_PARAM_LIGHT_IDLE, getLightIdleLevel, setLightIdleLevel},
};

std::vector<Parameter> bindAll()
{
    std::vector<Parameter> all;
    for (const Property &property : kProperties) {
        const KivraParameter *p = kivraParameter(property.id);
        all.push_back({property.name, p->description, p->unit, p->min, p->max, p->words,
                       property.get, property.set});
    }
    return all;
}

} // namespace

const std::vector<Parameter> &parameters()
{
    static const std::vector<Parameter> table = bindAll();
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
    for (const KivraWord *w = param.words; w && w->word; ++w) {
        if (w->value == value) {
            return w->word;
        }
    }
    return std::to_string(value);
}

bool parseValue(const Parameter &param, const std::string &text, int *value, std::string *error)
{
    if (param.words) {
        for (const KivraWord *w = param.words; w->word; ++w) {
            if (text == w->word) {
                *value = w->value;
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
    if (!param.words) {
        const std::string range = std::to_string(param.min) + " to " + std::to_string(param.max);
        return *param.unit ? range + " " + param.unit : range;
    }
    std::string words;
    for (const KivraWord *w = param.words; w->word; ++w) {
        if (w != param.words) {
            words += (w + 1)->word ? ", " : " or ";
        }
        words += w->word;
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

const std::vector<int> &failureCodes()
{
    static const std::vector<int> codes = [] {
        std::vector<int> all;
        for (const KivraResult *r = kivraResults; r->name; ++r) {
            if (r->code < KIVRA_OK) {
                all.push_back(r->code);
            }
        }
        return all;
    }();
    return codes;
}

} // namespace kivramm
