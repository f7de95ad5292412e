#include "portlink.h"

#include "kivra_portdir.h"
#include "simulator.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kivrasim {

namespace {

constexpr mode_t kPortDirMode = 0700;

// mkdir -p with the port directory's mode for every level it creates.
bool makeDirs(const std::string &dir)
{
    struct stat st
    {
    };
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeDirs(dir.substr(0, slash)))
        return false;
    return ::mkdir(dir.c_str(), kPortDirMode) == 0 || errno == EEXIST;
}

bool validName(const std::string &name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string readLink(const std::string &path)
{
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    return n < 0 ? std::string() : std::string(buf, size_t(n));
}

// A link counts as live while its target is a terminal device that exists.
bool liveLink(const std::string &path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace

std::string defaultPortDir()
{
    return kivra::virtualPortDirectory();
}

PublishResult publishLink(const std::string &dir, const std::string &name,
                          const std::string &target, std::string &linkPath, std::string &error)
{
    if (!validName(name)) {
        error = "invalid port name \"" + name + "\"";
        return PublishResult::Failed;
    }
    if (!makeDirs(dir)) {
        error = "cannot create port directory " + dir + ": " + std::strerror(errno);
        return PublishResult::Failed;
    }
    linkPath = dir + "/" + name;
    if (::symlink(target.c_str(), linkPath.c_str()) == 0)
        return PublishResult::Published;
    if (errno != EEXIST) {
        error = "cannot create " + linkPath + ": " + std::strerror(errno);
        return PublishResult::Failed;
    }
    struct stat st
    {
    };
    const bool isLink = ::lstat(linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    if (!isLink || liveLink(linkPath)) {
        error = "port name " + name + " is taken (" + linkPath +
                (isLink ? " -> " + readLink(linkPath) : std::string()) + ")";
        return PublishResult::NameTaken;
    }
    // Left behind by a simulator that did not exit cleanly.
    ::unlink(linkPath.c_str());
    if (::symlink(target.c_str(), linkPath.c_str()) == 0)
        return PublishResult::Published;
    const int err = errno;
    error = "cannot create " + linkPath + ": " + std::strerror(err);
    return err == EEXIST ? PublishResult::NameTaken : PublishResult::Failed;
}

void unpublishLink(const std::string &linkPath, const std::string &target)
{
    if (!linkPath.empty() && readLink(linkPath) == target)
        ::unlink(linkPath.c_str());
}

} // namespace kivrasim
