// The controller's parameters in the kivra tool's words. Their names, units,
// meanings, ranges, value words and library functions are the binding
// table's (KivraBindings.h); here is only how the tool says what it accepts.
#ifndef KIVRA_CLI_PARAMS_H
#define KIVRA_CLI_PARAMS_H

#include <KivraBindings.h>

#include <string>

namespace kivracli {

// Turns a value word or a decimal number into the device value. Returns false
// with a message naming the accepted values or range when it is not one.
bool parseArgument(const KivraParameter &param, const std::string &text, int *value,
                   std::string *error);

// "20 to 100000 ms", "manual|single|auto|trigger or 1 to 4".
std::string describeRange(const KivraParameter &param);

} // namespace kivracli

#endif
