#include "KivraProperties.h"

#include <KivraLibrary.h>

namespace kivramm {

// The properties, in the order they are created.
const std::vector<Parameter> &parameters()
{
    static const std::vector<Parameter> table = {
        {"Mode", KIVRA_PARAM_MODE},
        {"OpenTime-ms", KIVRA_PARAM_ON_TIME},
        {"CloseTime-ms", KIVRA_PARAM_OFF_TIME},
        {"CycleCount", KIVRA_PARAM_CYCLES},
        {"ValveType", KIVRA_PARAM_VALVE},
        {"InitialState", KIVRA_PARAM_INITIAL_STATE},
        {"TriggerInputEdge", KIVRA_PARAM_TRIGGER_IN},
        {"TriggerOutputLevel", KIVRA_PARAM_TRIGGER_OUT},
        {"IO1Function", KIVRA_PARAM_IO1},
        {"IO2Function", KIVRA_PARAM_IO2},
        {"BacklightBrightness-%", KIVRA_PARAM_LIGHT},
        {"BacklightSleepTime-min", KIVRA_PARAM_LIGHT_TIMEOUT},
        {"BacklightSleepBrightness-%", KIVRA_PARAM_LIGHT_IDLE},
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

bool parseValue(const Parameter &param, const std::string &text, int *value, std::string *error)
{
    const KivraParameter &row = param.row();
    const kivra::Parse parse = kivra::parseValue(row, text, value, kivra::Numbers::WordsOnly);
    if (parse == kivra::Parse::Ok) {
        return true;
    }
    const std::string said = std::string(param.property) + " '" + text + "' ";
    if (row.words) {
        *error =
            said + "is not a value of the " + row.description + ": use " + describeRange(param);
    } else if (parse == kivra::Parse::NotAValue) {
        *error = said + "is not a whole number: use " + describeRange(param);
    } else {
        *error = std::string(param.property) + " " + text + " is out of range: use " +
                 describeRange(param) + "; nothing was sent";
    }
    return false;
}

std::string describeRange(const Parameter &param)
{
    const KivraParameter &row = param.row();
    return row.words ? kivra::joinWords(row, ", ", " or ") : kivra::describeNumbers(row);
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
