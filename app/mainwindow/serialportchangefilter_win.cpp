// Port notices on Windows: the device-change broadcasts that reach the main
// window's native window, decoded by decodeDeviceChange(), for the system's
// ports (arrivals and removals are broadcast to every top-level window, so
// nothing has to be registered); and the port directory's folder, watched
// for the ports published there (simulated controllers, named network
// ports).
#include "serialportchangefilter.h"

#include "devicechange_win.h"

#include <QString>
#include <QWidget>

#include <windows.h>

bool SerialPortChangeFilter::nativeEventFilter(const QByteArray &, void *message, long *)
{
    const auto *msg = static_cast<const MSG *>(message);
    // A filter made for an object that is not a widget has no window to
    // compare with and lets every message through. The window handle is
    // asked for only on a device change, so no other message makes Qt create
    // a native window before its time.
    if (!mainWidget || !msg || msg->message != WM_DEVICECHANGE) {
        return false;
    }
    const auto window = reinterpret_cast<HWND>(mainWidget->winId());
    const trova::PortChange change = trova::decodeDeviceChange(msg, window);
    switch (change.kind) {
    case trova::PortChangeKind::Arrived:
        reportInserted();
        break;
    case trova::PortChangeKind::Removed:
        reportRemoved(QString::fromStdWString(change.name));
        break;
    case trova::PortChangeKind::None:
        break;
    }
    return false;
}

void SerialPortChangeFilter::startWatching()
{
    watchPortDirectory();
}

// The system's ports each reach the window as a broadcast.
void SerialPortChangeFilter::checkPort(const QString &name)
{
    rescanIfPublished(name);
}
