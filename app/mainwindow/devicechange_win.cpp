#include "devicechange_win.h"

#include <dbt.h>

#include <cstddef>

namespace trova {

namespace {

constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);

const DEV_BROADCAST_HDR *portRecord(LPARAM lParam)
{
    const auto *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(lParam);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_PORT) {
        return nullptr;
    }
    return header;
}

// The name ends at its zero character or at the end of the record, whichever
// comes first, so a record without a terminator is never read past its size.
std::wstring portName(const DEV_BROADCAST_HDR *header)
{
    if (header->dbch_size <= kNameOffset) {
        return std::wstring();
    }
    const auto *port = reinterpret_cast<const DEV_BROADCAST_PORT_W *>(header);
    const size_t capacity = (header->dbch_size - kNameOffset) / sizeof(wchar_t);
    size_t length = 0;
    while (length < capacity && port->dbcp_name[length] != L'\0') {
        ++length;
    }
    return std::wstring(port->dbcp_name, length);
}

} // namespace

PortChange decodeDeviceChange(const MSG *message, HWND window)
{
    PortChange change;
    if (!message || message->message != WM_DEVICECHANGE || !window || message->hwnd != window) {
        return change;
    }
    const DEV_BROADCAST_HDR *record = portRecord(message->lParam);
    if (!record) {
        return change;
    }
    if (message->wParam == DBT_DEVICEARRIVAL) {
        change.kind = PortChangeKind::Arrived;
    } else if (message->wParam == DBT_DEVICEREMOVECOMPLETE) {
        change.kind = PortChangeKind::Removed;
        change.name = portName(record);
    }
    return change;
}

} // namespace trova
