// The controller's parameters as the command line names them: readable names,
// units, meanings, the ranges the controller accepts and the words for coded
// values. Pure data and parsing; no device access.
#ifndef KIVRA_CLI_PARAMS_H
#define KIVRA_CLI_PARAMS_H

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
    std::vector<const char *> words; // value words for 1, 2, ...; empty for numbers
    Getter get;
    Setter set;
};

// Every parameter, in the order `info` shows them.
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
