#include "portprobe.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kivracli {

namespace {

const std::string kSysTty = "/sys/class/tty/";
constexpr int kUsbUpLevels = 6; // from the tty's device up to its USB device

std::string readLink(const std::string &path)
{
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

std::string firstLine(const std::string &path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string processName(const std::string &pid)
{
    const std::string comm = firstLine("/proc/" + pid + "/comm");
    return comm.empty() ? "unknown" : comm;
}

// The process holding the lock the library takes on an open port, from
// /proc/locks ("1: FLOCK ADVISORY WRITE <pid> <maj>:<min>:<inode> 0 EOF").
std::string lockHolder(const struct stat &device)
{
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, advisory, access, pid, where;
        fields >> number >> kind;
        if (kind == "->") { // a waiter, not a holder
            continue;
        }
        fields >> advisory >> access >> pid >> where;
        unsigned major = 0, minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(where.c_str(), "%x:%x:%lu", &major, &minor, &inode) == 3 &&
            major == major(device.st_dev) && minor == minor(device.st_dev) &&
            inode == device.st_ino) {
            return pid;
        }
    }
    return std::string();
}

// Other processes with the device open, from their descriptors.
std::vector<std::string> openers(const struct stat &device)
{
    std::vector<std::string> pids;
    DIR *proc = opendir("/proc");
    if (!proc) {
        return pids;
    }
    const std::string self = std::to_string(getpid());
    while (const dirent *entry = readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self) {
            continue;
        }
        const std::string fdDir = "/proc/" + pid + "/fd";
        DIR *fds = opendir(fdDir.c_str());
        if (!fds) {
            continue;
        }
        while (const dirent *fd = readdir(fds)) {
            struct stat info;
            if (fd->d_name[0] != '.' && stat((fdDir + "/" + fd->d_name).c_str(), &info) == 0 &&
                S_ISCHR(info.st_mode) && info.st_rdev == device.st_rdev) {
                pids.push_back(pid);
                break;
            }
        }
        closedir(fds);
    }
    closedir(proc);
    return pids;
}

std::string describeHolders(const struct stat &device)
{
    const std::string holder = lockHolder(device);
    if (!holder.empty()) {
        return "by process " + holder + " (" + processName(holder) + ")";
    }
    const std::vector<std::string> pids = openers(device);
    if (pids.empty()) {
        return "by a process this user cannot see";
    }
    std::string text = "open in process";
    text += pids.size() > 1 ? "es" : "";
    for (size_t i = 0; i < pids.size(); ++i) {
        text += (i ? ", " : " ") + pids[i] + " (" + processName(pids[i]) + ")";
    }
    return text;
}

std::string groupOf(const struct stat &info)
{
    const group *g = getgrgid(info.st_gid);
    return g ? g->gr_name : std::to_string(info.st_gid);
}

} // namespace

std::string diagnoseDevice(const std::string &name, const std::string &path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        return "port " + name + " is absent (no " + path + ")";
    }
    if (!S_ISCHR(info.st_mode)) {
        return path + " is not a serial port";
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            return "no permission to open " + path + " (group " + groupOf(info) +
                   "); remedy: sudo usermod -aG dialout $USER, then log in again";
        }
        if (error == EBUSY) {
            return "port " + name + " is in use " + describeHolders(info);
        }
        if (error == ENOENT || error == ENXIO || error == ENODEV) {
            return "port " + name + " is absent (" + std::strerror(error) + ")";
        }
        return "cannot open " + path + ": " + std::strerror(error);
    }
    const bool terminal = isatty(fd);
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    if (!terminal) {
        return path + " is not a serial port";
    }
    if (locked) {
        return "port " + name + " is in use " + describeHolders(info);
    }
    return "port " + name + " could not be opened, though it is free now";
}

void addDeviceDetails(const std::string &path, PortFacts *details)
{
    std::string device = path;
    const std::string target = readLink(path);
    if (!target.empty()) {
        details->emplace_back("link", target);
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved)) {
            device = resolved;
        }
    }
    const std::string tty = device.substr(device.rfind('/') + 1);
    const std::string sysDevice = kSysTty + tty + "/device";
    const std::string driver = readLink(sysDevice + "/driver");
    if (!driver.empty()) {
        details->emplace_back("driver", driver.substr(driver.rfind('/') + 1));
    }
    // The USB device that carries the port holds idVendor; walk up to it.
    std::string dir = sysDevice;
    for (int level = 0; level < kUsbUpLevels; ++level, dir += "/..") {
        const std::string vendor = firstLine(dir + "/idVendor");
        if (vendor.empty()) {
            continue;
        }
        details->emplace_back("usb", vendor + ":" + firstLine(dir + "/idProduct"));
        const std::string serial = firstLine(dir + "/serial");
        if (!serial.empty()) {
            details->emplace_back("serial", serial);
        }
        break;
    }
}

bool isMachinePort(const std::string &name)
{
    // Where the library looks for a bare name that the port directory does
    // not hold.
    struct stat info;
    return name.find('/') == std::string::npos && stat(("/dev/" + name).c_str(), &info) == 0 &&
           S_ISCHR(info.st_mode);
}

} // namespace kivracli
