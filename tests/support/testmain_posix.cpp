// Gives each test process a virtual-port directory of its own, so parallel
// test runs never see each other's simulated ports, and never the machine's
// own directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char **argv)
{
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "kivra-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        return EXIT_FAILURE;
    }
    setenv("KIVRA_PORT_DIR", pattern.c_str(), 1);

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return result;
}
