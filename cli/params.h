// The controller's parameters as the command line offers them: the
// vocabulary's names, units, meanings, ranges and value words
// (KivraVocabulary.h), each bound to its library functions. No device access.
#ifndef KIVRA_CLI_PARAMS_H
#define KIVRA_CLI_PARAMS_H

#include <KivraVocabulary.h>

#include <string>
#include <vector>

namespace kivracli {

using Getter = int (*)(int handle);
using Setter = int (*)(int handle, int value);

struct Param
{
    const char *name;    // command-line name, e.g. "on-time"
    const char *unit;    // "ms", "min", "" for none
    const char *meaning; // a few words for `info` and the manual
    int min;
    int max;
    const KivraWord *words; // value words; nullptr for numbers
    Getter get;
    Setter set;
};

// Every parameter, in the vocabulary's order, which `info` shows.
const std::vector<Param> &params();

// The parameter of that name, or nullptr.
const Param *findParam(const std::string &name);

// Turns a value word or a decimal number into the device value. Returns false
// with a message naming the accepted values or range when it is not one.
bool parseValue(const Param &param, const std::string &text, int *value, std::string *error);

// The value as the command line shows it: its word when it has one, else the
// number.
std::string formatValue(const Param &param, int value);

// "20 to 100000 ms", "manual|single|auto|trigger or 1 to 4".
std::string describeRange(const Param &param);

} // namespace kivracli

#endif
