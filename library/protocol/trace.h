// Frame trace: with KIVRA_TRACE=1 in the environment at load, every exchange
// writes its request and reply to standard error as hex, with the command's
// name and the decoded result. It is separate from the debug lines, which stay
// as they are whether or not the trace is on.
#ifndef KIVRA_TRACE_H
#define KIVRA_TRACE_H

#include "KivraVocabulary.h"
#include "port.h"

#include <cstdint>

namespace kivra {

// Fixed when the library is loaded; a branch on it is all the trace costs
// when it is off.
extern const bool kTraceEnabled;

// Before the request goes out: reports input about to be discarded as stale,
// then the request frame (size bytes; 0 when the builder refused it).
void traceRequest(Port &port, int code, const KivraExchange &shape, const uint8_t *frame, int size);

// After the reply was checked: received is the port read's count (-1 for a
// failed read), result the checkReply() code, budget what the exchange could
// wait (its attempts, plus a network path's allowance).
void traceReply(int code, const KivraExchange &shape, const uint8_t *reply, int received,
                int result, Clock::duration budget);

// Instead of the request: it was not sent, because the reply to an earlier
// one is still on its way across a network path.
void traceHeld(int code, const KivraExchange &shape);

} // namespace kivra

#endif
