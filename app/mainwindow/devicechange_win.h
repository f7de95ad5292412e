// Decoding of WM_DEVICECHANGE broadcasts into serial port arrivals and
// removals. Free of Qt so it can be tested on its own; the Qt native event
// filter calls it for every message.
#ifndef TROVA_DEVICECHANGE_WIN_H
#define TROVA_DEVICECHANGE_WIN_H

#include <windows.h>

#include <string>

namespace trova {

enum class PortChangeKind
{
    None,
    Arrived,
    Removed
};

struct PortChange
{
    PortChangeKind kind = PortChangeKind::None;
    std::wstring name; // the removed port's name as the system gives it (COM3)
};

// Decodes one native message. Only WM_DEVICECHANGE messages addressed to
// window (the main window; broadcasts reach every top-level window of the
// program, and each must count once) that report a port device arriving or
// removed are decoded; everything else, and any message when window is null,
// yields PortChangeKind::None.
PortChange decodeDeviceChange(const MSG *message, HWND window);

} // namespace trova

#endif
