// Micro-Manager error codes of the adapter and the texts that go with them.
// A negative library result c becomes kErrResultBase - c (-2 -> 12002), so
// each library code keeps a code of its own; the adapter's own refusals
// follow from 12100. Codes stay fixed; the text of a code names the
// operation that failed last with it.
#ifndef KIVRA_MM_ERRORS_H
#define KIVRA_MM_ERRORS_H

#include <string>

namespace kivramm {

constexpr int kErrResultBase = 12000;
constexpr int kErrUnknownResult = 12099;  // a negative result the library does not document
constexpr int kErrValueRefused = 12101;   // a property value outside its range or words
constexpr int kErrFireNotSingle = 12102;  // Fire while the controller is not in single mode
constexpr int kErrFireDuration = 12103;   // Fire for a time outside the open-time range
constexpr int kErrNoPort = 12104;         // Initialize without a port name
constexpr int kErrNotInitialized = 12105; // a device call before Initialize

// The Micro-Manager code for a negative library result.
int errorCodeFor(int result);

// "<what>: <meaning> (<NAME>, code <result>)".
std::string describeResult(const std::string &what, int result);

// The text a code carries before any call has failed with it.
std::string defaultErrorText(int mmCode);

} // namespace kivramm

#endif
