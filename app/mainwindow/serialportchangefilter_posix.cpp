// Without device-change broadcasts, port notices come from udev (adapters the
// kernel adds or removes) and from the library's virtual-port directory
// (simulated controllers and other published links).
#include "serialportchangefilter.h"

#include "kivra_portdir.h"
#include "kivra_portname.h"
#include "udevportwatcher.h"
#include "virtualportwatcher.h"

#include <QFileInfo>
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

    virtualPorts =
        new VirtualPortWatcher(QString::fromLocal8Bit(kivra::virtualPortDirectory().c_str()), this);
    connect(virtualPorts, &VirtualPortWatcher::portAdded, this, [this] { reportInserted(); });
    connect(virtualPorts, &VirtualPortWatcher::portRemoved, this,
            &SerialPortChangeFilter::reportRemoved);
}

void SerialPortChangeFilter::checkPort(const QString &name)
{
    if (name.isEmpty()) {
        return;
    }
    // A published port is gone when its entry stops counting, which the
    // watcher reports itself; any other is gone with its device node.
    if (virtualPorts->isListed(name)) {
        virtualPorts->rescan();
        return;
    }
    const kivra::PortTarget target = kivra::resolvePortName(name.toLocal8Bit().toStdString());
    if (target.kind != kivra::PortKind::Device ||
        !QFileInfo::exists(QString::fromLocal8Bit(target.path.c_str()))) {
        reportRemoved(name);
    }
}
