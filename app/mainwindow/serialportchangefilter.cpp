#include "serialportchangefilter.h"

#include "kivra_portdir.h"
#include "virtualportwatcher.h"

#include <QDebug>
#include <QWidget>

namespace {
// Diagnostic line numbers, kept stable so logs from all platforms compare.
constexpr int kInsertedLine = 28;
constexpr int kRemovedLine = 40;
} // namespace

SerialPortChangeFilter::SerialPortChangeFilter(QObject *watched)
    : QObject(nullptr), mainWidget(qobject_cast<QWidget *>(watched))
{
    startWatching();
}

SerialPortChangeFilter::~SerialPortChangeFilter() = default;

void SerialPortChangeFilter::reportInserted()
{
    qDebug() << kInsertedLine << "串口连接";
    emit signal_serialPortInserted();
}

void SerialPortChangeFilter::reportRemoved(const QString &name)
{
    qDebug() << kRemovedLine << "串口断开" << name;
    emit signal_serialPortRemoved(name);
}

void SerialPortChangeFilter::watchPortDirectory()
{
    // The folder's path is UTF-8, as the port directory's functions take it.
    virtualPorts =
        new VirtualPortWatcher(QString::fromStdString(kivra::virtualPortDirectory()), this);
    connect(virtualPorts, &VirtualPortWatcher::portAdded, this, [this] { reportInserted(); });
    connect(virtualPorts, &VirtualPortWatcher::portRemoved, this,
            &SerialPortChangeFilter::reportRemoved);
}

// A published port is gone when its entry stops counting, which the watcher
// reports itself.
bool SerialPortChangeFilter::rescanIfPublished(const QString &name)
{
    if (!virtualPorts->isListed(name)) {
        return false;
    }
    virtualPorts->rescan();
    return true;
}
