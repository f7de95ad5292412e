// Scratch state for POSIX tests: a temporary directory removed with all it
// holds, and an environment variable set for one scope.
#ifndef KIVRA_TEST_SCRATCH_POSIX_H
#define KIVRA_TEST_SCRATCH_POSIX_H

#include <cstdlib>
#include <filesystem>
#include <stdlib.h>
#include <string>

namespace scratch {

class TempDir
{
public:
    TempDir()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kivra-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir()
    {
        // A test may have closed the directory to its owner; open it again
        // so that everything below can go.
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    std::string str() const { return path_.string(); }
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

// value nullptr: the variable is unset for the scope.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const char *value) : name_(name)
    {
        const char *old = std::getenv(name);
        hadValue_ = old != nullptr;
        old_ = old ? old : "";
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ScopedEnv(const char *name, const std::string &value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv()
    {
        if (hadValue_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *name_;
    bool hadValue_;
    std::string old_;
};

} // namespace scratch

#endif
