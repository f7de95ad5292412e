#include "params.h"

#include <KivraLibrary.h>

#include <cerrno>
#include <cstdlib>

namespace kivracli {

namespace {

struct Binding
{
    KivraParameterId id;
    Getter get;
    Setter set;
};

// The library functions of each parameter.
constexpr Binding kBindings[] = {
    {KIVRA_PARAM_STATE, getShutterState, setShutterState},
    {KIVRA_PARAM_MODE, getShutterMode, setShutterMode},
    {KIVRA_PARAM_ON_TIME, getShutterOnTime, setShutterOnTime},
    {KIVRA_PARAM_OFF_TIME, getShutterOffTime, setShutterOffTime},
    {KIVRA_PARAM_CYCLES, getShutterCycleCount, setShutterCycleCount},
    {KIVRA_PARAM_VALVE, getValveType, setValveType},
    {KIVRA_PARAM_INITIAL_STATE, getInitialState, setInitialState},
    {KIVRA_PARAM_TRIGGER_IN, getShutterTriggerInMode, setShutterTriggerInMode},
    {KIVRA_PARAM_TRIGGER_OUT, getShutterTriggerOutMode, setShutterTriggerOutMode},
    {KIVRA_PARAM_IO1, getIO1TriggerMode, setIO1TriggerMode},
    {KIVRA_PARAM_IO2, getIO2TriggerMode, setIO2TriggerMode},
    {KIVRA_PARAM_LIGHT, getLightLevel, setLightLevel},
    {KIVRA_PARAM_LIGHT_IDLE, getLightIdleLevel, setLightIdleLevel},
    {KIVRA_PARAM_LIGHT_TIMEOUT, getLightTimeOut, setLightTimeOut},
};

std::vector<Param> bindAll()
{
    std::vector<Param> all;
    for (const KivraParameter *p = kivraParameters; p->name; ++p) {
        for (const Binding &b : kBindings) {
            if (b.id == p->id) {
                all.push_back(
                    {p->name, p->unit, p->description, p->min, p->max, p->words, b.get, b.set});
            }
        }
    }
    return all;
}

} // namespace

const std::vector<Param> &params()
{
    static const std::vector<Param> table = bindAll();
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
    for (const KivraWord *w = param.words; w && w->word; ++w) {
        if (text == w->word) {
            *value = w->value;
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
    for (const KivraWord *w = param.words; w && w->word; ++w) {
        if (w->value == value) {
            return w->word;
        }
    }
    return std::to_string(value);
}

std::string describeRange(const Param &param)
{
    std::string range = std::to_string(param.min) + " to " + std::to_string(param.max);
    if (!param.words) {
        return *param.unit ? range + " " + param.unit : range;
    }
    std::string words;
    for (const KivraWord *w = param.words; w->word; ++w) {
        words += (words.empty() ? "" : "|") + std::string(w->word);
    }
    return words + " or " + range;
}

} // namespace kivracli
