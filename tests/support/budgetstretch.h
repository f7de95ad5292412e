// The factor by which the library under test stretches its exchange budgets:
// compiled in for tests linked with the stretched build, else given by the
// environment ctest sets up for programs that load it (KIVRA_TEST_BUDGET_STRETCH).
// A test run by hand without either meets the shipped library: factor 1.
// Faults timed against a budget (a reply late by more than the budget) scale
// with it.
#pragma once

#include <cstdlib>

namespace kivratest {

inline int budgetStretch()
{
#ifdef KIVRA_TEST_BUDGET_STRETCH
    return KIVRA_TEST_BUDGET_STRETCH;
#else
    const char *given = std::getenv("KIVRA_TEST_BUDGET_STRETCH");
    const int factor = given ? std::atoi(given) : 1;
    return factor > 1 ? factor : 1;
#endif
}

// ms of the controller's own time, in the library's time under test.
inline int stretchedMs(int ms)
{
    return ms * budgetStretch();
}

} // namespace kivratest
