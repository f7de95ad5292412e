// A private virtual-port directory, so the benchmark never meets other ports.
#include "benchports.h"

#include <cstdlib>
#include <filesystem>

BenchPortScope::BenchPortScope()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kivra-bench-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
        dir_ = pattern;
        ready_ = setenv("KIVRA_PORT_DIR", dir_.c_str(), 1) == 0;
    }
}

BenchPortScope::~BenchPortScope()
{
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
}
