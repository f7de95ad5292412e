// With kivra-sim.exe the simulated controllers publish themselves in the
// port directory: a private folder of the benchmark's own, so it never meets
// other ports.
#include "benchports.h"

#include "scratch_win.h"

BenchPortScope::BenchPortScope() : dir_(scratch::tempPath("kivra-bench-"))
{
    ready_ = SetEnvironmentVariableA("KIVRA_PORT_DIR", dir_.c_str()) != 0;
}

BenchPortScope::~BenchPortScope()
{
    scratch::removeAll(std::wstring(dir_.begin(), dir_.end()));
}
