// Without device-change broadcasts, port notices come from udev (adapters the
// kernel adds or removes) and from the library's virtual-port directory
// (simulated controllers and other published ports).
#include "serialportchangefilter.h"

#include "kivra_portname.h"
#include "udevportwatcher.h"

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
    watchPortDirectory();
}

void SerialPortChangeFilter::checkPort(const QString &name)
{
    if (name.isEmpty()) {
        return;
    }
    // Any port but a published one is gone with its device node.
    if (rescanIfPublished(name)) {
        return;
    }
    const kivra::PortTarget target = kivra::resolvePortName(name.toLocal8Bit().toStdString());
    if (target.kind != kivra::PortKind::Device ||
        !QFileInfo::exists(QString::fromLocal8Bit(target.path.c_str()))) {
        reportRemoved(name);
    }
}
