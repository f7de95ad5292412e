// kivra-demo.exe: Trova without the hardware. Starts kivra-sim.exe from its
// own folder, waits until the simulator has published its port (SIM1), then
// starts Trova.exe with the arguments it was given itself, and waits for it.
// The simulator runs in a job that is killed when its last handle closes:
// this program's, when Trova has ended, or when this program is ended
// itself, however that happens. The simulator's entry goes with it.
#include <windows.h>

#include <string>

namespace {

constexpr DWORD kLineBytes = 512;
const wchar_t *const kTitle = L"Trova demo";

std::wstring ownFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// The command line's arguments after the program's own name, as given.
std::wstring ownArguments()
{
    const wchar_t *line = GetCommandLineW();
    if (*line == L'"') {
        for (++line; *line && *line != L'"'; ++line) {
        }
        line += *line ? 1 : 0;
    } else {
        while (*line && *line != L' ' && *line != L'\t') {
            ++line;
        }
    }
    while (*line == L' ' || *line == L'\t') {
        ++line;
    }
    return line;
}

std::wstring wide(const std::string &text)
{
    const int chars =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(chars > 0 ? chars : 0), L'\0');
    if (chars > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0],
                            chars);
    }
    return result;
}

int fail(const std::wstring &text)
{
    MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | MB_ICONERROR);
    return 1;
}

// The simulator's first line: the port it publishes, or why it did not start.
std::string firstLine(HANDLE output)
{
    std::string line;
    char byte = 0;
    DWORD got = 0;
    while (line.size() < kLineBytes && ReadFile(output, &byte, 1, &got, nullptr) && got == 1 &&
           byte != '\n') {
        if (byte != '\r') {
            line += byte;
        }
    }
    return line;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::wstring folder = ownFolder();
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job ||
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        return fail(L"Cannot prepare the simulator's job (error " +
                    std::to_wstring(GetLastError()) + L").");
    }

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return fail(L"Cannot start kivra-sim.exe (no pipe).");
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring simLine = L"\"" + folder + L"kivra-sim.exe\"";
    STARTUPINFOW simStartup{};
    simStartup.cb = sizeof simStartup;
    simStartup.dwFlags = STARTF_USESTDHANDLES;
    simStartup.hStdOutput = writeEnd;
    simStartup.hStdError = writeEnd;
    PROCESS_INFORMATION sim{};
    // Suspended until it is in the job, so nothing of it can escape.
    const bool simStarted =
        CreateProcessW(nullptr, &simLine[0], nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &simStartup, &sim);
    CloseHandle(writeEnd);
    if (!simStarted) {
        return fail(L"Cannot start " + folder + L"kivra-sim.exe (error " +
                    std::to_wstring(GetLastError()) + L").");
    }
    if (!AssignProcessToJobObject(job, sim.hProcess)) {
        TerminateProcess(sim.hProcess, 1);
        return fail(L"Cannot put the simulator in its job (error " +
                    std::to_wstring(GetLastError()) + L").");
    }
    ResumeThread(sim.hThread);
    CloseHandle(sim.hThread);
    const std::string published = firstLine(readEnd);
    CloseHandle(readEnd);
    if (published.find(" (entry: ") == std::string::npos) {
        return fail(L"The simulator did not start:\n" + wide(published));
    }

    std::wstring trovaLine = L"\"" + folder + L"Trova.exe\"";
    const std::wstring arguments = ownArguments();
    if (!arguments.empty()) {
        trovaLine += L" " + arguments;
    }
    STARTUPINFOW trovaStartup{};
    trovaStartup.cb = sizeof trovaStartup;
    trovaStartup.dwFlags = STARTF_USESTDHANDLES;
    trovaStartup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    trovaStartup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    trovaStartup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION trova{};
    if (!CreateProcessW(nullptr, &trovaLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &trovaStartup, &trova)) {
        return fail(L"Cannot start " + folder + L"Trova.exe (error " +
                    std::to_wstring(GetLastError()) + L").");
    }
    CloseHandle(trova.hThread);
    WaitForSingleObject(trova.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(trova.hProcess, &status);
    CloseHandle(trova.hProcess);
    // The job's last handle: the simulator ends with it.
    CloseHandle(job);
    WaitForSingleObject(sim.hProcess, INFINITE);
    CloseHandle(sim.hProcess);
    return static_cast<int>(status);
}
