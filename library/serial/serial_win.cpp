// Win32 serial transport: overlapped COM port I/O. The port list is
// portlist_win.cpp's.
#include "serial.h"

#include "asyncop_win.h"

#include <windows.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace kivra {

namespace {

static_assert(kLineStopBits == 2 && kLineParityBits == 0,
              "the line is set with TWOSTOPBITS and NOPARITY");

constexpr DWORD kQueueBytes = 2048;
constexpr DWORD kWriteMsPerByte = 5000;
constexpr DWORD kWriteConstantMs = 500;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kPurgeInput = PURGE_RXABORT | PURGE_RXCLEAR;
constexpr DWORD kPauseMs = static_cast<DWORD>(kReadSlice.count());
constexpr DWORD kPurgeOutput = PURGE_TXABORT | PURGE_TXCLEAR;

// The device path (\\.\COM10) converted from the ANSI code page, as the
// names are byte strings.
std::wstring widePath(const std::string &path)
{
    const int chars = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (chars <= 0) {
        return std::wstring();
    }
    std::vector<wchar_t> wide(static_cast<size_t>(chars));
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), chars);
    return std::wstring(wide.data());
}

// Device names are case-insensitive: com3 and COM3 are one port.
std::wstring pathKey(const std::wstring &path)
{
    std::wstring key(path);
    const int chars = static_cast<int>(path.size());
    if (chars > 0 && LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, path.c_str(), chars, &key[0],
                                  chars) != chars) {
        key = path;
    }
    return key;
}

void applyLine(HANDLE port)
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(kLineBaud);
    dcb.ByteSize = static_cast<BYTE>(kLineDataBits);
    dcb.Parity = NOPARITY;
    dcb.StopBits = TWOSTOPBITS;
    SetCommState(port, &dcb);
}

bool isSerialDevice(HANDLE port)
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    return GetFileType(port) == FILE_TYPE_CHAR && GetCommState(port, &dcb);
}

void applySettings(HANDLE port)
{
    SetupComm(port, kQueueBytes, kQueueBytes);
    applyLine(port);
    // Reads return at once with what has arrived, possibly nothing.
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, kWriteMsPerByte, kWriteConstantMs};
    SetCommTimeouts(port, &timeouts);
    PurgeComm(port, kPurgeAll);
    SetCommMask(port, EV_RXCHAR);
}

// Pauses up to kPauseMs for input when the last read came back at once with
// nothing. Waiting on EV_RXCHAR instead of sleeping ends the pause with the
// first byte and escapes the coarse granularity of Sleep(1).
void awaitInput(HANDLE port, AsyncOp &input, DWORD *eventMask)
{
    DWORD done = 0;
    if (!input.pending()) {
        if (!input.started(WaitCommEvent(port, eventMask, input.start()), &done)) {
            Sleep(kPauseMs);
            return;
        }
        if (!input.pending()) {
            return; // a character has arrived already
        }
    }
    input.wait(kPauseMs, &done);
}

// Reads what has arrived into staging, keeping one read outstanding while the
// driver has nothing to give. Returns false when a read fails.
bool collect(HANDLE port, AsyncOp &read, uint8_t *staging, int wanted, int *received)
{
    for (;;) {
        DWORD got = 0;
        if (read.pending()) {
            const AsyncOp::State state = read.wait(0, &got);
            if (state == AsyncOp::State::Pending) {
                return true;
            }
            if (state == AsyncOp::State::Failed) {
                return false;
            }
        } else {
            const DWORD ask = static_cast<DWORD>(wanted - *received);
            const BOOL result = ReadFile(port, staging + *received, ask, nullptr, read.start());
            if (!read.started(result, &got)) {
                return false;
            }
            if (read.pending()) {
                continue;
            }
        }
        *received += static_cast<int>(got);
        if (got == 0 || *received >= wanted) {
            return true;
        }
    }
}

// A COM port, by its HANDLE. Handles given to callers come from the handle
// table's counter, not the HANDLE's bits: a 64-bit HANDLE does not fit the
// 32-bit interface.
class ComPort final : public Port
{
public:
    explicit ComPort(HANDLE port) : port_(port) {}
    ~ComPort() override { CloseHandle(port_); }
    void discardInput() override { PurgeComm(port_, kPurgeInput); }

    int pendingInput() override
    {
        COMSTAT status = {};
        DWORD errors = 0;
        return ClearCommError(port_, &errors, &status) ? static_cast<int>(status.cbInQue) : -1;
    }
    int write(const uint8_t *bytes, int count, Clock::time_point until) override;
    int read(uint8_t *target, int wanted, Clock::time_point until) override;

private:
    const HANDLE port_;
};

// Whole milliseconds from now until then, rounded up, none once it passed.
DWORD msUntil(Clock::time_point until)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

int ComPort::write(const uint8_t *bytes, int count, Clock::time_point until)
{
    AsyncOp write(port_);
    if (!write.valid()) {
        return 0;
    }
    DWORD written = 0;
    if (!write.started(WriteFile(port_, bytes, static_cast<DWORD>(count), nullptr, write.start()),
                       &written)) {
        return 0;
    }
    // The caller's buffer must outlive the write, so wait for it (the reply
    // cannot come before the request has gone out anyway). A write still
    // pending at the deadline is stuck (flow control held, adapter gone): it
    // is cancelled and what it left unsent is dropped.
    if (write.pending() && write.wait(msUntil(until), &written) == AsyncOp::State::Pending) {
        written = write.finish();
        PurgeComm(port_, kPurgeOutput);
    }
    return static_cast<int>(written);
}

int ComPort::read(uint8_t *target, int wanted, Clock::time_point until)
{
    if (!target || wanted <= 0 || wanted > kStagingBytes) {
        return -1;
    }
    // Declared before the operations that write into them, so they outlive
    // any cancellation done by the operations' destructors.
    uint8_t staging[kStagingBytes] = {};
    DWORD eventMask = 0;
    AsyncOp read(port_);
    AsyncOp input(port_);
    if (!read.valid() || !input.valid()) {
        return -1;
    }

    // Input ends a 1 ms pause at once without using up the time faster, and
    // a wait that the system's timer stretches past 1 ms does not stretch
    // the deadline.
    int received = 0;
    for (;;) {
        if (!collect(port_, read, staging, wanted, &received)) {
            return -1;
        }
        if (received >= wanted || Clock::now() >= until) {
            break;
        }
        if (read.pending()) {
            WaitForSingleObject(read.event(), kPauseMs);
        } else {
            awaitInput(port_, input, &eventMask);
        }
    }
    // Bytes that completed the outstanding read as it was cancelled are in
    // staging already and count.
    received += static_cast<int>(read.finish());
    input.finish();

    std::memcpy(target, staging, static_cast<size_t>(wanted));
    return received;
}

} // namespace

std::string serialClaimKey(const std::string &devicePath)
{
    // Drivers (and wine) do not all enforce the exclusive share mode, so the
    // claim is what refuses a second open in this process. The key is the
    // wide path's own bytes.
    const std::wstring key = pathKey(widePath(devicePath));
    return std::string(reinterpret_cast<const char *>(key.data()), key.size() * sizeof(wchar_t));
}

std::unique_ptr<Port> openSerialDevice(const std::string &devicePath, dev_t)
{
    const std::wstring path = widePath(devicePath);
    if (path.empty()) {
        return nullptr;
    }
    HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    // Only serial devices: a name such as C:\x.txt also makes a valid
    // path, and frames written to a file would corrupt it.
    if (!isSerialDevice(port)) {
        CloseHandle(port);
        return nullptr;
    }
    applySettings(port);
    return std::make_unique<ComPort>(port);
}

} // namespace kivra
