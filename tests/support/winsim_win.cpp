#include "winsim_win.h"

#include "winhost_win.h"

namespace {

std::wstring wide(const std::string &text)
{
    return std::wstring(text.begin(), text.end());
}

} // namespace

WinSim::~WinSim()
{
    kill();
}

bool WinSim::start(const std::vector<std::string> &args)
{
    std::wstring commandLine = L"\"" + wide(winhost::hostToDos(KIVRA_SIM_EXE)) + L"\"";
    for (const std::string &arg : args) {
        commandLine += L" \"" + wide(arg) + L"\"";
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION info{};
    const bool started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        line_ = "cannot start kivra-sim.exe (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    // Its first line, or all it said before it ended.
    line_.clear();
    bool ended = false;
    waitUntil([&] {
        DWORD waiting = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr)) {
            ended = true; // the simulator closed its end
            return true;
        }
        char bytes[256];
        DWORD got = 0;
        if (waiting > 0 && ReadFile(readEnd, bytes, waiting < sizeof bytes ? waiting : sizeof bytes,
                                    &got, nullptr)) {
            line_.append(bytes, got);
        }
        return line_.find('\n') != std::string::npos;
    });
    CloseHandle(readEnd);
    const size_t end = line_.find_first_of("\r\n");
    if (end != std::string::npos) {
        line_.resize(end);
    }
    // The line it publishes, or why it did not start.
    if (ended || line_.find(" (entry: ") == std::string::npos) {
        kill();
        return false;
    }
    return true;
}

bool WinSim::kill()
{
    if (!process_) {
        return false;
    }
    TerminateProcess(process_, 1);
    const bool gone = WaitForSingleObject(process_, kWinSimPatienceMs) == WAIT_OBJECT_0;
    CloseHandle(process_);
    process_ = nullptr;
    return gone;
}
