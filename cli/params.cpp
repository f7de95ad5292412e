#include "params.h"

namespace kivracli {

bool parseArgument(const KivraParameter &param, const std::string &text, int *value,
                   std::string *error)
{
    switch (kivra::parseValue(param, text, value)) {
    case kivra::Parse::Ok:
        return true;
    case kivra::Parse::NotAValue:
        *error = "'" + text + "' is not a value of " + param.name + ": use " + describeRange(param);
        return false;
    case kivra::Parse::OutOfRange:
        break;
    }
    *error = std::string(param.name) + " " + text + " is out of range: use " + describeRange(param);
    return false;
}

std::string describeRange(const KivraParameter &param)
{
    const std::string numbers = kivra::describeNumbers(param);
    return param.words ? kivra::joinWords(param, "|", "|") + " or " + numbers : numbers;
}

} // namespace kivracli
