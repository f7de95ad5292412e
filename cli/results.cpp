#include "results.h"

#include <cstdio>

namespace kivracli {

std::string describeResult(int code, int budgetMs)
{
    std::string text = kivraResultText(code);
    if (code == KIVRA_ERR_NO_REPLY) {
        text += " within " + std::to_string(budgetMs) + " ms";
    }
    return text;
}

int deviceFailure(const std::string &what, int code, int budgetMs)
{
    std::fprintf(stderr, "kivra: %s: %s (code %d)\n", what.c_str(),
                 describeResult(code, budgetMs).c_str(), code);
    return kExitDevice;
}

int failure(const std::string &message)
{
    std::fprintf(stderr, "kivra: %s\n", message.c_str());
    return kExitDevice;
}

int usageFailure(const std::string &message)
{
    std::fprintf(stderr, "kivra: %s\n", message.c_str());
    return kExitUsage;
}

} // namespace kivracli
