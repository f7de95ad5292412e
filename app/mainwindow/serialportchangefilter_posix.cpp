// Without device-change broadcasts, port notices come from udev (adapters the
// kernel adds or removes) and from the library's virtual-port directory
// (simulated controllers and other published links).
#include "serialportchangefilter.h"

#include "kivra_portdir.h"
#include "udevportwatcher.h"
#include "virtualportwatcher.h"

#include <QString>

bool SerialPortChangeFilter::nativeEventFilter(const QByteArray &, void *, long *)
{
    return false;
}

void SerialPortChangeFilter::startWatching()
{
    auto *udev = new UdevPortWatcher(this);
    connect(udev, &UdevPortWatcher::portAdded, this, [this] { reportInserted(); });
    connect(udev, &UdevPortWatcher::portRemoved, this, &SerialPortChangeFilter::reportRemoved);

    auto *links =
        new VirtualPortWatcher(QString::fromLocal8Bit(kivra::virtualPortDirectory().c_str()), this);
    connect(links, &VirtualPortWatcher::portAdded, this, [this] { reportInserted(); });
    connect(links, &VirtualPortWatcher::portRemoved, this, &SerialPortChangeFilter::reportRemoved);
}
