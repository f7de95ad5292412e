// Gives each test process under wine a port directory of its own, not yet
// made (whoever first publishes makes it private), so that no test sees
// another's ports, and removes it at the end.
#include "scratch_win.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    const std::string dir = scratch::tempPath("kivra-test-");
    SetEnvironmentVariableA("KIVRA_PORT_DIR", dir.c_str());

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    scratch::removeAll(std::wstring(dir.begin(), dir.end()));
    return result;
}
