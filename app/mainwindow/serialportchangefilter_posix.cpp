// Without device-change broadcasts, port notices come from udev (adapters the
// kernel adds or removes) and from the library's virtual-port directory
// (simulated controllers and other published links).
#include "serialportchangefilter.h"

#include "udevportwatcher.h"
#include "virtualportwatcher.h"

#include <QByteArray>
#include <QDir>
#include <QString>

#include <unistd.h>

namespace {
constexpr char kPortDirVariable[] = "KIVRA_PORT_DIR";
constexpr char kRuntimeDirVariable[] = "XDG_RUNTIME_DIR";
constexpr char kRuntimeSubdir[] = "/kivra-ports";
constexpr char kFallbackPrefix[] = "/tmp/kivra-ports-";

// The directory in which the library looks for virtual ports.
QString virtualPortDirectory()
{
    const QByteArray own = qgetenv(kPortDirVariable);
    if (!own.isEmpty()) {
        return QString::fromLocal8Bit(own);
    }
    const QByteArray runtime = qgetenv(kRuntimeDirVariable);
    if (!runtime.isEmpty()) {
        return QString::fromLocal8Bit(runtime) + QLatin1String(kRuntimeSubdir);
    }
    return QLatin1String(kFallbackPrefix) + QString::number(getuid());
}
} // namespace

bool SerialPortChangeFilter::nativeEventFilter(const QByteArray &, void *, long *)
{
    return false;
}

void SerialPortChangeFilter::startWatching()
{
    auto *udev = new UdevPortWatcher(this);
    connect(udev, &UdevPortWatcher::portAdded, this, [this] { reportInserted(); });
    connect(udev, &UdevPortWatcher::portRemoved, this, &SerialPortChangeFilter::reportRemoved);

    auto *links = new VirtualPortWatcher(virtualPortDirectory(), this);
    connect(links, &VirtualPortWatcher::portAdded, this, [this] { reportInserted(); });
    connect(links, &VirtualPortWatcher::portRemoved, this, &SerialPortChangeFilter::reportRemoved);
}
