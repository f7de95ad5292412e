// One overlapped Win32 operation with its own event, for the serial
// transport.
#ifndef KIVRA_ASYNCOP_WIN_H
#define KIVRA_ASYNCOP_WIN_H

#include <windows.h>

#include <cstring>

namespace kivra {

// One overlapped operation and its event. Whatever is still pending when it
// goes away is cancelled and waited for, so the system never writes into a
// buffer that is gone; the event is always closed.
class AsyncOp
{
public:
    explicit AsyncOp(HANDLE port) : port_(port)
    {
        std::memset(&ov_, 0, sizeof ov_);
        // Manual reset: polling the event does not consume the completion.
        ov_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~AsyncOp()
    {
        finish();
        if (ov_.hEvent) {
            CloseHandle(ov_.hEvent);
        }
    }
    AsyncOp(const AsyncOp &) = delete;
    AsyncOp &operator=(const AsyncOp &) = delete;

    bool valid() const { return ov_.hEvent != nullptr; }
    bool pending() const { return pending_; }
    HANDLE event() const { return ov_.hEvent; }

    // A cleared descriptor for the next call on this operation.
    OVERLAPPED *start()
    {
        HANDLE ev = ov_.hEvent;
        std::memset(&ov_, 0, sizeof ov_);
        ov_.hEvent = ev;
        ResetEvent(ev);
        return &ov_;
    }

    // Interprets the result of the call made with start(): true when it
    // completed (bytes in *done) or is now pending, false when it failed.
    bool started(BOOL result, DWORD *done)
    {
        *done = 0;
        if (result) {
            return GetOverlappedResult(port_, &ov_, done, FALSE) != FALSE;
        }
        if (GetLastError() != ERROR_IO_PENDING) {
            return false;
        }
        pending_ = true;
        return true;
    }

    enum class State
    {
        Pending,
        Done,
        Failed
    };

    // Waits up to ms for the pending operation to complete.
    State wait(DWORD ms, DWORD *done)
    {
        *done = 0;
        if (WaitForSingleObject(ov_.hEvent, ms) != WAIT_OBJECT_0) {
            return State::Pending;
        }
        pending_ = false;
        return GetOverlappedResult(port_, &ov_, done, FALSE) ? State::Done : State::Failed;
    }

    // Cancels a pending operation and waits until the system has let go of it.
    // Returns the bytes it transferred before it ended.
    DWORD finish()
    {
        if (!pending_) {
            return 0;
        }
        CancelIoEx(port_, &ov_);
        DWORD done = 0;
        if (!GetOverlappedResult(port_, &ov_, &done, TRUE)) {
            done = 0;
        }
        pending_ = false;
        return done;
    }

private:
    HANDLE port_;
    OVERLAPPED ov_;
    bool pending_ = false;
};

} // namespace kivra

#endif
