#include "console.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <io.h>
#include <string>

namespace kivracli {

namespace {

std::atomic<bool> caught{false};

// Runs on a thread of the system's; the waits poll the flag.
BOOL WINAPI onInterrupt(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        caught = true;
        return TRUE;
    }
    return FALSE;
}

// The traced copy gets Ctrl-C itself, from the same console.
BOOL WINAPI ignoreInterrupt(DWORD event)
{
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

} // namespace

void catchInterrupts()
{
    SetConsoleCtrlHandler(onInterrupt, TRUE);
}

bool interrupted()
{
    return caught;
}

bool stderrIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

// Windows has no exec: the copy runs as a child with the same command line
// and handles, and its status becomes this process's.
int restartTraced(char **)
{
    wchar_t program[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length == MAX_PATH || !SetEnvironmentVariableW(L"KIVRA_TRACE", L"1")) {
        std::fprintf(stderr, "kivra: restart with the trace on: cannot find the program\n");
        return -1;
    }
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(program, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &child)) {
        std::fprintf(stderr, "kivra: restart with the trace on: error %lu\n", GetLastError());
        return -1;
    }
    SetConsoleCtrlHandler(ignoreInterrupt, TRUE);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return static_cast<int>(status);
}

} // namespace kivracli
