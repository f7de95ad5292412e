// For tests of behaviour rather than of time: every exchange's own budget
// (and with it its late-reply window) is multiplied by a factor, so that a
// machine busy enough to wake the simulated controller late does not change
// what a test sees. 1, the default, is the controller's own. Not exported:
// only code linked with the library's objects reaches it.
#ifndef KIVRA_TESTSTRETCH_H
#define KIVRA_TESTSTRETCH_H

namespace kivra {

void setBudgetStretchForTests(int factor);
int budgetStretchForTests();

} // namespace kivra

#endif
