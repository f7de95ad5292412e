// Exit statuses and the messages of failed library calls, in the words of the
// library's vocabulary (KivraVocabulary.h).
#ifndef KIVRA_CLI_RESULTS_H
#define KIVRA_CLI_RESULTS_H

#include <KivraVocabulary.h>

#include <string>

namespace kivracli {

constexpr int kExitOk = 0;
constexpr int kExitDevice = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130; // 128 + SIGINT, as shells report it

// The cause of a negative library result in words, e.g. "no answer from the
// controller within 30 ms": a missing answer names the exchange's budget,
// budgetMs (its read attempts, 1 ms each).
std::string describeResult(int code, int budgetMs = KIVRA_STANDARD_ATTEMPTS);

// Prints "kivra: <what>: <cause> (code <code>)" and returns kExitDevice.
int deviceFailure(const std::string &what, int code, int budgetMs = KIVRA_STANDARD_ATTEMPTS);

// Prints "kivra: <message>" and returns kExitDevice: a failure that is not
// the controller's (a port name taken, a file that cannot be written).
int failure(const std::string &message);

// Prints "kivra: <message>" and returns kExitUsage.
int usageFailure(const std::string &message);

} // namespace kivracli

#endif
