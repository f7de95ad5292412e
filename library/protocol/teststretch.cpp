#include "teststretch.h"

#include <algorithm>
#include <atomic>

namespace kivra {

namespace {

std::atomic<int> budgetStretch{1};

} // namespace

void setBudgetStretchForTests(int factor)
{
    budgetStretch = std::max(1, factor);
}

int budgetStretchForTests()
{
    return budgetStretch;
}

} // namespace kivra
