// Exit statuses and the one place where library result codes become words.
#ifndef KIVRA_CLI_RESULTS_H
#define KIVRA_CLI_RESULTS_H

#include <string>

namespace kivracli {

constexpr int kExitOk = 0;
constexpr int kExitDevice = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130; // 128 + SIGINT, as shells report it

// Attempt budgets of the library's exchanges, in ms, for the messages.
constexpr int kStandardBudgetMs = 30;
constexpr int kDebugBudgetMs = 28;

// The cause of a negative library result in words, e.g. "no answer from the
// controller within 30 ms". refusal names what the controller refused.
std::string describeResult(int code, int budgetMs = kStandardBudgetMs,
                           const char *refusal = "the request");

// Prints "kivra: <what>: <cause> (code <code>)" and returns kExitDevice.
int deviceFailure(const std::string &what, int code, int budgetMs = kStandardBudgetMs,
                  const char *refusal = "the request");

// Prints "kivra: <message>" and returns kExitUsage.
int usageFailure(const std::string &message);

} // namespace kivracli

#endif
