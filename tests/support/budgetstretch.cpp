// Linked only into the test builds of the library (library/stretched/): every
// exchange's budget is stretched from the moment the library is loaded, so
// the functional tests see the same results however late a busy machine
// wakes the simulated controller. The shipped library never holds this file.
#include "protocol/teststretch.h"

namespace {

struct StretchAtLoad
{
    StretchAtLoad() { kivra::setBudgetStretchForTests(KIVRA_TEST_BUDGET_STRETCH); }
};
const StretchAtLoad stretchAtLoad;

} // namespace
