#include "winhost_win.h"

#include <cstdio>
#include <cstdlib>

namespace winhost {

namespace {
constexpr DWORD kPollMs = 10;

std::string quoted(const std::string &arg)
{
    return "\"" + arg + "\"";
}
} // namespace

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string hostToDos(const std::string &path)
{
    std::string dos = "Z:" + path;
    for (char &c : dos) {
        if (c == '/') {
            c = '\\';
        }
    }
    return dos;
}

bool exists(const std::string &dosPath)
{
    return GetFileAttributesA(dosPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool runHost(const std::vector<std::string> &args)
{
    std::string commandLine;
    for (const std::string &arg : args) {
        commandLine += (commandLine.empty() ? "" : " ") + quoted(arg);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
        return false;
    }
    // For a host program wine returns no handles; close any it did return.
    if (process.hThread) {
        CloseHandle(process.hThread);
    }
    if (process.hProcess) {
        CloseHandle(process.hProcess);
    }
    return true;
}

bool waitFor(const std::vector<std::string> &files, bool want, DWORD limitMs)
{
    for (DWORD waited = 0;; waited += kPollMs) {
        bool any = false;
        for (const std::string &file : files) {
            any = any || exists(file);
        }
        if (any == want) {
            return true;
        }
        if (waited >= limitMs) {
            return false;
        }
        Sleep(kPollMs);
    }
}

int nextPortNumber()
{
    static int next = 0;
    int first = 0;
    int last = 0;
    if (std::sscanf(environment("KIVRA_WINSIM_PORTS").c_str(), "%d-%d", &first, &last) != 2 ||
        first <= 0 || last < first) {
        return 0;
    }
    if (next < first || next > last) {
        next = first;
    }
    return next++;
}

bool HostSim::reserve()
{
    launcher = environment("KIVRA_WINSIM_LAUNCHER");
    program = environment("KIVRA_WINSIM_PROGRAM");
    dir = environment("KIVRA_WINSIM_DIR");
    const int number = nextPortNumber();
    if (launcher.empty() || program.empty() || dir.empty() || number == 0) {
        return false;
    }
    link = kLinkPrefix + std::to_string(number);
    name = kComPrefix + std::to_string(number);
    return true;
}

std::string HostSim::marker(const char *suffix) const
{
    return hostToDos(dir + "/" + link + suffix);
}

bool HostSim::start(const std::vector<std::string> &command,
                    const std::vector<std::string> &arguments)
{
    const std::string ready = marker(".ready");
    const std::string failed = marker(".failed");
    DeleteFileA(ready.c_str());
    DeleteFileA(failed.c_str());
    std::vector<std::string> args = {hostToDos(launcher)};
    args.insert(args.end(), command.begin(), command.end());
    args.insert(args.end(), {program, dir, link});
    args.insert(args.end(), arguments.begin(), arguments.end());
    running = runHost(args) && waitFor({ready, failed}, true, kStartWaitMs) && exists(ready);
    return running;
}

bool HostSim::stop()
{
    if (!running) {
        return true;
    }
    running = false;
    return runHost({hostToDos(launcher), "stop", dir, link}) &&
           waitFor({marker(".ready")}, false, kStopWaitMs);
}

} // namespace winhost
