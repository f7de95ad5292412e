// Under wine the simulated controllers are kivra-sim processes on the host,
// behind the COM ports scripts/test-windows maps (see simport_win.cpp);
// nothing is left to prepare here.
#include "benchports.h"

#include <cstdlib>

BenchPortScope::BenchPortScope() : ready_(std::getenv("KIVRA_WINSIM_DIR") != nullptr) {}

BenchPortScope::~BenchPortScope() = default;
