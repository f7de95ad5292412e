// Where the benchmark's simulated ports live while it runs; one
// implementation file per platform.
#ifndef KIVRA_BENCHPORTS_H
#define KIVRA_BENCHPORTS_H

#include <string>

class BenchPortScope
{
public:
    BenchPortScope();
    ~BenchPortScope();
    BenchPortScope(const BenchPortScope &) = delete;
    BenchPortScope &operator=(const BenchPortScope &) = delete;

    bool ready() const { return ready_; }

private:
    std::string dir_;
    bool ready_ = false;
};

#endif
