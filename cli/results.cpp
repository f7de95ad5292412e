#include "results.h"

#include <cstdio>

namespace kivracli {

std::string describeResult(int code, int budgetMs, const char *refusal)
{
    switch (code) {
    case -1:
        return "the library refused the call (bad argument, or the port is not open)";
    case -2:
        return "no answer from the controller within " + std::to_string(budgetMs) + " ms";
    case -3:
        return "reply start word wrong";
    case -4:
        return "reply length does not match its data";
    case -5:
        return std::string("the controller refused ") + refusal;
    case -6:
        return "reply check word wrong";
    case -10:
        return "the controller's reply carried no data";
    default:
        return "unknown failure";
    }
}

int deviceFailure(const std::string &what, int code, int budgetMs, const char *refusal)
{
    std::fprintf(stderr, "kivra: %s: %s (code %d)\n", what.c_str(),
                 describeResult(code, budgetMs, refusal).c_str(), code);
    return kExitDevice;
}

int usageFailure(const std::string &message)
{
    std::fprintf(stderr, "kivra: %s\n", message.c_str());
    return kExitUsage;
}

} // namespace kivracli
