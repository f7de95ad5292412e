// Why a port would not open, in one line: the library only says -1. Where the
// command-line tool's probe of the system exists (Linux), it is used, so both
// tools give the same cause; elsewhere the cause is told from the library's
// own answers.
#ifndef KIVRA_MM_OPENFAILURE_H
#define KIVRA_MM_OPENFAILURE_H

#include <string>

namespace kivramm {

std::string describeOpenFailure(const std::string &port);

} // namespace kivramm

#endif
