#include "portprobe.h"

#include <windows.h>

#include <vector>

namespace kivracli {

namespace {

// Room for what QueryDosDeviceW says of one name (an NT device path).
constexpr DWORD kDeviceChars = 1024;
constexpr DWORD kMessageChars = 512;

// Port names and device paths are byte strings in the ANSI code page, as the
// library takes them.
std::wstring wide(const std::string &text)
{
    const int chars = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (chars <= 0) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(chars));
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), chars);
    return std::wstring(buffer.data());
}

std::string narrow(const wchar_t *text)
{
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::vector<char> buffer(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), bytes, nullptr, nullptr);
    return std::string(buffer.data());
}

// The system's own text for an error code, on one line.
std::string systemMessage(DWORD error)
{
    wchar_t text[kMessageChars] = {};
    const DWORD chars = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, error, 0, text, kMessageChars, nullptr);
    std::string message = chars ? narrow(text) : std::string();
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return (message.empty() ? "error" : message) + " (error " + std::to_string(error) + ")";
}

// The NT device behind an MS-DOS device name (COM3: \Device\Serial2), or "".
std::string dosDevice(const std::string &name)
{
    wchar_t target[kDeviceChars] = {};
    const std::wstring wideName = wide(name);
    if (wideName.empty() || QueryDosDeviceW(wideName.c_str(), target, kDeviceChars) == 0) {
        return std::string();
    }
    return narrow(target);
}

} // namespace

std::string diagnoseDevice(const std::string &name, const std::string &path)
{
    // The library's own open: exclusive, so a port held elsewhere is refused.
    const std::wstring widePath = wide(path);
    const HANDLE port = widePath.empty()
                            ? INVALID_HANDLE_VALUE
                            : CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD error = widePath.empty() ? ERROR_INVALID_NAME : GetLastError();
        switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_DEV_NOT_EXIST:
            return "port " + name + " is absent (no " + path + ")";
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return "port " + name + " is in use by another program";
        case ERROR_ACCESS_DENIED:
            return "no permission to open " + path +
                   " (access denied; Windows also answers so while another program has the port "
                   "open)";
        default:
            return "cannot open " + path + ": " + systemMessage(error);
        }
    }
    // Only a serial device has a line to read back.
    DCB line{};
    line.DCBlength = sizeof line;
    const bool serial = GetCommState(port, &line) != 0;
    CloseHandle(port);
    if (!serial) {
        return path + " is not a serial port";
    }
    return "port " + name + " could not be opened, though it is free now";
}

void addDeviceDetails(const std::string &path, PortFacts *details)
{
    constexpr char kDevicePrefix[] = "\\\\.\\";
    if (path.compare(0, sizeof kDevicePrefix - 1, kDevicePrefix) != 0) {
        return;
    }
    const std::string device = dosDevice(path.substr(sizeof kDevicePrefix - 1));
    if (!device.empty()) {
        details->emplace_back("device", device);
    }
}

bool isMachinePort(const std::string &name)
{
    return !dosDevice(name).empty();
}

} // namespace kivracli
