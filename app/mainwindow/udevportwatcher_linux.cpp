#include "udevportwatcher.h"

#include <QSocketNotifier>

#include <libudev.h>

namespace {
constexpr char kSubsystem[] = "tty";
constexpr char kNetlinkSource[] = "udev";
constexpr char kActionAdd[] = "add";
constexpr char kActionRemove[] = "remove";
} // namespace

struct UdevPortWatcher::Monitor
{
    udev *context = nullptr;
    udev_monitor *source = nullptr;
    QSocketNotifier *notifier = nullptr;
};

UdevPortWatcher::UdevPortWatcher(QObject *parent) : QObject(parent), monitor(new Monitor)
{
    monitor->context = udev_new();
    if (!monitor->context) {
        return;
    }
    monitor->source = udev_monitor_new_from_netlink(monitor->context, kNetlinkSource);
    if (!monitor->source) {
        return;
    }
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor->source, kSubsystem, nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor->source) < 0) {
        udev_monitor_unref(monitor->source);
        monitor->source = nullptr;
        return;
    }
    monitor->notifier =
        new QSocketNotifier(udev_monitor_get_fd(monitor->source), QSocketNotifier::Read, this);
    connect(monitor->notifier, &QSocketNotifier::activated, this, &UdevPortWatcher::receive);
}

UdevPortWatcher::~UdevPortWatcher()
{
    delete monitor->notifier;
    if (monitor->source) {
        udev_monitor_unref(monitor->source);
    }
    if (monitor->context) {
        udev_unref(monitor->context);
    }
    delete monitor;
}

void UdevPortWatcher::receive()
{
    // The socket is non-blocking: drain every queued event in one go.
    while (udev_device *device = udev_monitor_receive_device(monitor->source)) {
        const QString action = QString::fromLatin1(udev_device_get_action(device));
        const QString name = QString::fromLocal8Bit(udev_device_get_sysname(device));
        udev_device_unref(device);
        if (action == QLatin1String(kActionAdd)) {
            emit portAdded(name);
        } else if (action == QLatin1String(kActionRemove)) {
            emit portRemoved(name);
        }
    }
}
